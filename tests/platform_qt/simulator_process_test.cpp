#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/qt/simulator_process.h"

namespace kell::testing {
namespace {

// A stand-in for kell-sim: a shell script with the given body.
class FakeSimulator {
  public:
    explicit FakeSimulator(const char* body) : path_(dir_.filePath("kell-sim")) {
        QFile file(path_);
        if (file.open(QIODevice::WriteOnly)) {
            file.write("#!/bin/sh\n");
            file.write(body);
            file.close();
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }
    std::string Path() const { return path_.toStdString(); }
    std::string Directory() const { return dir_.path().toStdString(); }

  private:
    QTemporaryDir dir_;
    QString path_;
};

TEST(SimulatorProcessTest, TheFirstLineIsThePortAndTheScenarioIsPassedOn) {
    FakeSimulator fake("echo \"/dev/pts/$1\"\necho more\nexec sleep 30\n");
    SimulatorProcess simulator;
    ASSERT_TRUE(simulator.Start(fake.Path(), "busy.json")) << simulator.Error();
    EXPECT_EQ(simulator.PortPath(), "/dev/pts/busy.json");
    simulator.Stop();  // ends the sleeping child rather than waiting for it
}

TEST(SimulatorProcessTest, ASimulatorThatGivesNoPortIsAFailure) {
    FakeSimulator quits("exit 3\n");
    SimulatorProcess first;
    EXPECT_FALSE(first.Start(quits.Path(), ""));
    EXPECT_FALSE(first.Error().empty());

    FakeSimulator silent("exec sleep 30\n");
    SimulatorProcess second;
    EXPECT_FALSE(second.Start(silent.Path(), "", 300)) << "the wait for the port is bounded";

    FakeSimulator chatter("echo not a path\nexec sleep 30\n");
    SimulatorProcess third;
    EXPECT_FALSE(third.Start(chatter.Path(), ""));

    SimulatorProcess missing;
    EXPECT_FALSE(missing.Start("/nonexistent/kell-sim", ""));
}

TEST(SimulatorProcessTest, TheSimulatorIsFoundBesideTheProgramOrThroughKellSim) {
    FakeSimulator fake("exit 0\n");
    qunsetenv("KELL_SIM");
    EXPECT_EQ(SimulatorProcess::Locate(fake.Directory()), fake.Path());
    qputenv("KELL_SIM", QByteArray::fromStdString(fake.Path()));
    EXPECT_EQ(SimulatorProcess::Locate("/nonexistent"), fake.Path());
    qputenv("KELL_SIM", "/nonexistent/kell-sim");
    EXPECT_TRUE(SimulatorProcess::Locate(fake.Directory()).empty())
        << "a named simulator that is not there is not replaced by another";
    qunsetenv("KELL_SIM");
}

}  // namespace
}  // namespace kell::testing
