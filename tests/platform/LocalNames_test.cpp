// File names as bytes: URIs of a drop and names the toolkit made text of.
#include "platform/LocalNames.h"

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <fstream>

namespace {

TEST(LocalNames, fileUrisGiveTheirBytes)
{
    const std::pair<const char*, std::string> cases[] = {
        {"file:///tmp/%FF%fe.html", "/tmp/\xff\xfe.html"},
        {"file://localhost/a%20b", "/a b"},
        {"FILE://LocalHost/a", "/a"},
        {"file:/a/b%2", "/a/b%2"},
        {"file:///a%2Fb?q#f\r\n", "/a/b"},
        {"file://otherhost/a", ""},
        {"file://localhostx/a", ""},
        {"https://example.org/a", ""},
        {"file:relative", ""},
    };
    for (const auto& [uri, path] : cases) EXPECT_EQ(platform::LocalPathOfFileUri(uri), path) << uri;
    EXPECT_EQ(platform::FirstLocalPathOfUriList("# comment\r\nfile:///x\r\nfile:///y\r\n"), "/x");
    EXPECT_EQ(platform::FirstLocalPathOfUriList("http://h/x\r\nfile:///y\r\n"), "");
}

// The toolkit's text of a name that is no text leads back to the file, also
// through a directory of such a name; a name of a file stays as it is.
TEST(LocalNames, toolkitTextLeadsBackToTheBytes)
{
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString();
    const std::string folder = base + "/\xfe";
    const std::string file = folder + "/\xff\xfe.html";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    std::ofstream(file) << "page";
    std::ofstream(base + "/plain.html") << "page";
    const std::string asText = QString::fromLocal8Bit(file.c_str()).toLocal8Bit().toStdString();
    ASSERT_NE(asText, file);
    EXPECT_EQ(platform::ExistingLocalName(asText), file);
    EXPECT_EQ(platform::ExistingLocalName(base + "/plain.html"), base + "/plain.html");
    EXPECT_EQ(platform::ExistingLocalName(base + "/missing.html"), base + "/missing.html");
    std::remove(file.c_str());
    ::rmdir(folder.c_str());
}

}  // namespace
