#pragma once
// One QApplication for the colour window tests, with the user's settings in a temporary
// folder of their own: nothing here reads or writes the real user's settings.

#include "common/TempFolder.h"
#include "platform_qt/QtTestEnvironment.h"

#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <cstdlib>
#include <memory>

namespace tlx::testing {

class ColourQtTestEnvironment : public QtTestEnvironment {
public:
    void SetUp() override {
        config_ = std::make_unique<TempFolder>();
        ::setenv("XDG_CONFIG_HOME", config_->path().c_str(), 1);
        QStandardPaths::setTestModeEnabled(true);
        QtTestEnvironment::SetUp();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(config_->path().string()));
    }
    void TearDown() override {
        QtTestEnvironment::TearDown();
        config_.reset();
    }
    // The folder the user's settings are kept in during the tests.
    static std::filesystem::path ConfigFolder() { return current_->config_->path(); }
    ColourQtTestEnvironment() { current_ = this; }

private:
    static inline ColourQtTestEnvironment* current_ = nullptr;
    std::unique_ptr<TempFolder> config_;
};

} // namespace tlx::testing
