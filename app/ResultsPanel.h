#pragma once
#include "measure/ResultsTable.h"

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace orvane::app {

// The "Results" panel, docked at the bottom of the main window: the levelling with its form and
// residual, the last areal parameters, a progress bar with Cancel for the measurement running,
// and a table with a row per measurement (profile, area) that can be deleted, copied and exported
// as CSV.
class ResultsPanel : public QWidget {
    Q_OBJECT
public:
    explicit ResultsPanel(QWidget* parent = nullptr);

    QLabel* levellingLabel = nullptr;
    QLabel* arealLabel = nullptr;
    QProgressBar* progressBar = nullptr;
    QPushButton* cancelButton = nullptr;
    QTableWidget* table = nullptr;
    QPushButton* deleteButton = nullptr;
    QPushButton* copyButton = nullptr;
    QPushButton* exportButton = nullptr;

    // A strip along the bottom of the window: the image keeps most of its height.
    QSize sizeHint() const override { return {800, 220}; }

    void ShowLevelling(const QString& text);
    void ShowAreal(const QString& text);
    // A measurement is running: `percent` done; negative hides the bar.
    void ShowProgress(const QString& what, int percent);

    void AddRow(const measure::ResultRow& row);
    const std::vector<measure::ResultRow>& Rows() const { return rows_; }
    void DeleteSelectedRows();
    void CopyRows();
    void ExportCsv();

    // Where "Export CSV..." writes; tests and batch runs answer instead of a dialog.
    using SaveAnswer = std::function<std::optional<QString>(const QString& suggested)>;
    static void SetSaveAnswer(SaveAnswer answer);

signals:
    void CancelClicked();

private:
    void UpdateButtons();
    std::vector<measure::ResultRow> rows_;
};

} // namespace orvane::app
