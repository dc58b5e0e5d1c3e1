#pragma once
// One QApplication for the whole test program, made before the first test and destroyed
// after the last one.

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

namespace tlx::testing {

class QtTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QApplication::instance())
            return;
        // Web views need this before the application exists.
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[8] = "tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

} // namespace tlx::testing
