#include "cli/trace_header.h"

#include <QCryptographicHash>
#include <QDateTime>

#include "payloads/payloads.h"

namespace kell::cli {

std::string PayloadsSha256() {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const payloads::NamedPayload& payload : payloads::AllPayloads()) {
        hash.addData(QByteArrayView(payload.fileName.data(),
                                    static_cast<qsizetype>(payload.fileName.size())));
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(payload.bytes.data()),
                                    static_cast<qsizetype>(payload.bytes.size())));
    }
    return hash.result().toHex().toStdString();
}

trace::TraceHeader MakeTraceHeader(const std::string& programVersion) {
    trace::TraceHeader header;
    header.version = trace::kFormatVersion;
    header.program = programVersion;
    header.payloadsSha256 = PayloadsSha256();
    header.recorded = QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString();
    return header;
}

}  // namespace kell::cli
