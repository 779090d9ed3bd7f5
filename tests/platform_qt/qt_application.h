#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

namespace kell::testing {

// A suite whose tests run with a QCoreApplication, as the front ends do. Tests of other suites
// run without one.
class WithQtApplication : public ::testing::Test {
  public:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "platform_qt_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QCoreApplication>(argc, argv);
    }
    static void TearDownTestSuite() { app_.reset(); }

  private:
    static inline std::unique_ptr<QCoreApplication> app_;
};

}  // namespace kell::testing
