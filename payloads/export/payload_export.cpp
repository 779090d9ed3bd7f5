#include "payloads/export/payload_export.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QString>

#include "payloads/payload_files.h"
#include "payloads/payloads.h"

namespace kell::payloads {
namespace {

QString Name(std::string_view name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

bool WriteFile(const QString& path, QByteArrayView bytes, std::string* error) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush()) {
        *error = "cannot write " + path.toStdString() + ": " + file.errorString().toStdString();
        return false;
    }
    return true;
}

}  // namespace

bool ExportPayloads(const std::string& folder, std::string* error) {
    const QDir dir(QString::fromStdString(folder));
    if (!dir.mkpath(".")) {
        *error = "cannot make the folder " + folder;
        return false;
    }
    // The manifest goes last: a folder with one holds a complete export.
    const QString manifestPath = dir.filePath(Name(kManifestName));
    if (QFile::exists(manifestPath) && !QFile::remove(manifestPath)) {
        *error = "cannot replace " + manifestPath.toStdString();
        return false;
    }
    QByteArray manifest;
    for (const NamedPayload& payload : AllPayloads()) {
        const QByteArrayView bytes(payload.bytes.data(),
                                   static_cast<qsizetype>(payload.bytes.size()));
        if (!WriteFile(dir.filePath(Name(payload.fileName)), bytes, error)) {
            return false;
        }
        manifest += QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
        manifest += "  ";
        manifest += QByteArrayView(payload.fileName.data(),
                                   static_cast<qsizetype>(payload.fileName.size()));
        manifest += '\n';
    }
    return WriteFile(manifestPath, manifest, error);
}

}  // namespace kell::payloads
