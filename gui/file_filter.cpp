#include "gui/file_filter.h"

#include <QStringList>

namespace kell::gui {

QString QtFileFilter(const std::string& layoutFilter) {
    const QStringList parts = QString::fromStdString(layoutFilter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = parts[i + 1]
                                     .split(QLatin1Char(';'), Qt::SkipEmptyParts)
                                     .join(QLatin1Char(' '))
                                     .trimmed();
        if (patterns.isEmpty())
            continue;
        filters << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

}  // namespace kell::gui
