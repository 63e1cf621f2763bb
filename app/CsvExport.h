#pragma once
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace orvane::app {

// Where an "Export CSV..." writes, asked of the user in a save dialog starting at `suggested`;
// tests and batch runs answer instead of the dialog. Nothing: cancelled.
using CsvSaveAnswer = std::function<std::optional<QString>(const QString& suggested)>;

// Asks where (through `answer` when it is set) and writes `csv` there all or nothing; a failure
// is an error message over `parent`.
void ExportCsvText(QWidget* parent, const QString& suggested, const QString& csv,
                   const CsvSaveAnswer& answer);

} // namespace orvane::app
