#include "app/CsvExport.h"

#include "app/Messages.h"
#include "app/WholeFile.h"

#include <QFileDialog>

namespace orvane::app {

void ExportCsvText(QWidget* parent, const QString& suggested, const QString& csv,
                   const CsvSaveAnswer& answer) {
    std::optional<QString> path;
    if (answer) {
        path = answer(suggested);
    } else {
        const QString chosen = QFileDialog::getSaveFileName(
            parent, QStringLiteral("Export CSV"), suggested, QStringLiteral("CSV (*.csv)"));
        if (!chosen.isEmpty())
            path = chosen;
    }
    if (!path)
        return;
    QString why;
    if (!WriteWholeFile(csv.toUtf8(), *path, why))
        ShowMessage(parent, image::MessageKind::Error,
                    QStringLiteral("Could not write \"%1\": %2").arg(*path, why));
}

} // namespace orvane::app
