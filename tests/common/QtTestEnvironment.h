#pragma once
// One QApplication for the whole test program, made before the first test and destroyed
// after the last one. With web engines, as the end-to-end tests want them: on a real display
// when there is one, without the sandbox and the GPU unless told otherwise.
// A test program run on its own keeps its settings, state, caches and install folders in a
// temporary folder, never in the user's (CTest gives every test such folders in the build tree).

#include "common/TempFolder.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace tlx::testing {

class QtTestEnvironment : public ::testing::Environment {
public:
    enum class Display { AsGiven, RealForWebEngines };
    explicit QtTestEnvironment(Display display = Display::AsGiven) : display_(display) {}

    void SetUp() override {
        if (QApplication::instance())
            return;
        if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME")) {
            home_ = std::make_unique<TempFolder>("tlx-test-home");
            for (const char* name :
                 {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
                ::setenv(name, (home_->path() / name).c_str(), 1);
        }
        if (display_ == Display::RealForWebEngines) {
            if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
                qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
            if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
                qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
            // The discovered tests run offscreen; web views need a real display.
            if (qgetenv("QT_QPA_PLATFORM") == "offscreen" &&
                !qEnvironmentVariableIsEmpty("DISPLAY"))
                qputenv("QT_QPA_PLATFORM", "xcb");
        }
        // Web views need this before the application exists.
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override {
        app_.reset();
        home_.reset();
    }

private:
    Display display_;
    int argc_ = 1;
    char name_[8] = "tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
    std::unique_ptr<TempFolder> home_;
};

} // namespace tlx::testing
