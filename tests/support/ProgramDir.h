#pragma once
// A test whose program lives in a temporary directory: the platform doubles
// are installed, the program file is "profilora" there, so its settings file
// and the pages it looks up beside itself are files of that directory.

#include "platform/Fakes.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

class ProgramDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        sys.Program = Path("profilora");
    }
    std::string Path(const std::string& Name) const { return dir.filePath(QString::fromStdString(Name)).toStdString(); }
    void WriteFile(const std::string& Name, const std::string& Bytes) const
    {
        std::ofstream(Path(Name), std::ios::binary) << Bytes;
    }

    QTemporaryDir dir;
    platform::FakePrompts prompts;
    platform::FakeSystem sys;
    platform::ScopedPlatform guard{&prompts, &sys, nullptr};
};
