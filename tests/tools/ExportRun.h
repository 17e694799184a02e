#pragma once
// The exporter run in process, in a temporary directory, with the platform's
// test doubles in place: what the exporter's end-to-end tests share.

#include "tools/Export.h"

#include "platform/Fakes.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sstream>
#include <string>
#include <vector>

class TExportRun : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Dir.isValid()); }

    std::string Path(const std::string& Name) const { return Dir.filePath(QString::fromStdString(Name)).toStdString(); }

    // Runs the exporter; what it writes on standard output and error lands
    // in Out and Err.
    int Run(const std::vector<std::string>& A)
    {
        std::ostringstream o, e;
        const int status = RunExport(A, o, e);
        Out = o.str();
        Err = e.str();
        return status;
    }

    platform::FakePrompts Prompts;
    platform::FakeSystem System;
    platform::ScopedPlatform Guard{&Prompts, &System, nullptr};
    QTemporaryDir Dir;
    std::string Out, Err;
};
