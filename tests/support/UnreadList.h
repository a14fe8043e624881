#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>
#include <filesystem>
#include <optional>

#include "common/TestPlatform.h"
#include "config/storage/AtomicFile.h"
#include "support/TestSupport.h"

namespace dravel::testing {

// The two ways the condition list is read only in part, with the cause the message names.
inline void addNotReadWholeRows() {
    QTest::addColumn<bool>("tooBig");
    QTest::addColumn<QString>("cause");
    QTest::newRow("over 256 MiB") << true << QStringLiteral("Zu wenig Arbeitsspeicher");
    QTest::newRow("no read permission") << false << QStringLiteral("Dateizugriff verweigert");
}

// The program directory's Alarmierung.dat, too big to read or refused while `read` runs.
class UnreadList {
public:
    UnreadList(const TempProgramDir& dir, bool tooBig)
        : file(config::pathFromUtf8(dir.file("Alarmierung.dat"))), tooBig_(tooBig) {
        if (tooBig) std::filesystem::resize_file(file, config::kMaxFileSize + 1);
        size = std::filesystem::file_size(file);
    }
    template <class Read>
    auto read(Read&& read) const {
        std::optional<testplatform::ReadRefusal> refusal;
        if (!tooBig_) refusal.emplace(file);
        return read();
    }
    const std::filesystem::path file;
    std::uintmax_t size = 0;

private:
    bool tooBig_;
};

inline QString toolOutput(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline QString pdfText(const QString& path) {
    return toolOutput(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, "-"});
}

}  // namespace dravel::testing
