#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "payloads/export/payload_export.h"
#include "payloads/payload_files.h"
#include "payloads/payloads.h"

namespace kell::testing {
using namespace kell::payloads;
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string bytes(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

TEST(PayloadExportTest, WritesEveryPayloadByteForByteWithAManifestSha256sumAccepts) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString() + "/new/folder";
    std::string error;
    ASSERT_TRUE(ExportPayloads(folder, &error)) << error;

    std::istringstream manifest(ReadFile(folder + "/SHA256SUMS"));
    std::string line;
    std::size_t i = 0;
    for (const NamedPayload& payload : AllPayloads()) {
        SCOPED_TRACE(payload.fileName);
        const std::string written = ReadFile(folder + "/" + std::string(payload.fileName));
        ASSERT_EQ(written.size(), payload.bytes.size());
        EXPECT_EQ(std::memcmp(written.data(), payload.bytes.data(), written.size()), 0);
        const QByteArray sha = QCryptographicHash::hash(
            QByteArrayView(payload.bytes.data(), static_cast<qsizetype>(payload.bytes.size())),
            QCryptographicHash::Sha256);
        ASSERT_TRUE(std::getline(manifest, line));
        EXPECT_EQ(line, sha.toHex().toStdString() + "  " + std::string(payload.fileName));
        ++i;
    }
    EXPECT_FALSE(std::getline(manifest, line));
    EXPECT_EQ(i, std::size(kPayloadFiles));

    const std::string verify = "cd '" + folder + "' && sha256sum --quiet -c SHA256SUMS";
    EXPECT_EQ(std::system(verify.c_str()), 0);
}

TEST(PayloadExportTest, ReportsAFolderThatCannotBeMade) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string blocker = dir.path().toStdString() + "/file";
    std::ofstream(blocker) << "not a folder";
    std::string error;
    EXPECT_FALSE(ExportPayloads(blocker + "/payloads", &error));
    EXPECT_NE(error.find(blocker), std::string::npos) << error;
}

}  // namespace
}  // namespace kell::testing
