#include "app/ResultsPanel.h"

#include "app/CsvExport.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

namespace orvane::app {

namespace {

ResultsPanel::SaveAnswer& SaveOverride() {
    static ResultsPanel::SaveAnswer answer;
    return answer;
}

} // namespace

ResultsPanel::ResultsPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("resultsPanel"));
    levellingLabel = new QLabel(QStringLiteral("Levelling: none"), this);
    levellingLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    levellingLabel->setWordWrap(true);
    arealLabel = new QLabel(this);
    arealLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    arealLabel->setWordWrap(true);
    arealLabel->hide();
    progressBar = new QProgressBar(this);
    progressBar->setRange(0, 100);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    table = new QTableWidget(0, int(measure::ResultHeaders().size()), this);
    table->setHorizontalHeaderLabels(measure::ResultHeaders());
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->setVisible(false);
    deleteButton = new QPushButton(QStringLiteral("Delete"), this);
    copyButton = new QPushButton(QStringLiteral("Copy"), this);
    exportButton = new QPushButton(QStringLiteral("Export CSV..."), this);

    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(progressBar, 1);
    progressRow->addWidget(cancelButton);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : {deleteButton, copyButton, exportButton})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(levellingLabel);
    layout->addWidget(arealLabel);
    layout->addLayout(progressRow);
    layout->addWidget(table, 1);
    layout->addLayout(buttons);
    ShowProgress(QString(), -1);

    connect(cancelButton, &QPushButton::clicked, this, &ResultsPanel::CancelClicked);
    connect(deleteButton, &QPushButton::clicked, this, [this] { DeleteSelectedRows(); });
    connect(copyButton, &QPushButton::clicked, this, [this] { CopyRows(); });
    connect(exportButton, &QPushButton::clicked, this, [this] { ExportCsv(); });
    connect(table, &QTableWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
    UpdateButtons();
}

void ResultsPanel::SetSaveAnswer(SaveAnswer answer) {
    SaveOverride() = std::move(answer);
}

void ResultsPanel::ShowLevelling(const QString& text) {
    levellingLabel->setText(text);
}

void ResultsPanel::ShowAreal(const QString& text) {
    arealLabel->setText(text);
    arealLabel->setVisible(!text.isEmpty());
}

void ResultsPanel::ShowProgress(const QString& what, int percent) {
    const bool running = percent >= 0;
    progressBar->setVisible(running);
    cancelButton->setVisible(running);
    if (running) {
        progressBar->setFormat(what + QStringLiteral(" %p%"));
        progressBar->setValue(std::min(percent, 100));
    }
}

void ResultsPanel::AddRow(const measure::ResultRow& row) {
    rows_.push_back(row);
    const int at = table->rowCount();
    table->insertRow(at);
    const QStringList cells = measure::ResultCells(row);
    for (int column = 0; column < cells.size(); ++column)
        table->setItem(at, column, new QTableWidgetItem(cells[column]));
    table->scrollToBottom();
    UpdateButtons();
}

void ResultsPanel::DeleteSelectedRows() {
    std::set<int> selected;
    for (const QModelIndex& index : table->selectionModel()->selectedRows())
        selected.insert(index.row());
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        table->removeRow(*it);
        rows_.erase(rows_.begin() + *it);
    }
    UpdateButtons();
}

void ResultsPanel::CopyRows() {
    if (!rows_.empty())
        QApplication::clipboard()->setText(measure::ResultsCsv(rows_));
}

void ResultsPanel::ExportCsv() {
    if (rows_.empty())
        return;
    ExportCsvText(this, QStringLiteral("results.csv"), measure::ResultsCsv(rows_), SaveOverride());
}

void ResultsPanel::UpdateButtons() {
    deleteButton->setEnabled(!table->selectionModel()->selectedRows().isEmpty());
    copyButton->setEnabled(!rows_.empty());
    exportButton->setEnabled(!rows_.empty());
}

} // namespace orvane::app
