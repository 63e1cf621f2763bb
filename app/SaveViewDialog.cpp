#include "app/SaveViewDialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>

namespace orvane::app {

namespace {

SaveViewDialog::Answer& Override() {
    static SaveViewDialog::Answer answer;
    return answer;
}

struct Format {
    const char* Filter;
    const char* Suffix;
};

constexpr Format kFormats[] = {
    {"PNG picture (*.png)", "png"},
    {"TIFF picture (*.tif *.tiff)", "tif"},
    {"JPEG picture (*.jpg *.jpeg)", "jpg"},
};

std::optional<SaveViewDialog::Choice> RunDialog(QWidget* parent, const SaveViewDialog& shown) {
    // Qt's own dialog, since a platform dialog has no room for the check box.
    QFileDialog dialog(parent, QStringLiteral("Save View As"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const Format& f : kFormats)
        filters << QLatin1String(f.Filter);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QLatin1String(kFormats[0].Suffix));
    // A name typed without extension takes the chosen type's.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, filters](const QString& filter) {
                         const qsizetype i = filters.indexOf(filter);
                         if (i >= 0)
                             dialog.setDefaultSuffix(QLatin1String(kFormats[i].Suffix));
                     });
    if (!shown.FileName.isEmpty())
        dialog.selectFile(shown.FileName);

    QCheckBox* fileResolution = nullptr;
    if (shown.FileResolutionOffered) {
        fileResolution =
            new QCheckBox(QStringLiteral("The view window at file resolution (at most %1 "
                                         "pixels a side)")
                              .arg(16384),
                          &dialog);
        fileResolution->setChecked(shown.FileResolution);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
            grid->addWidget(fileResolution, grid->rowCount(), 0, 1, grid->columnCount());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return SaveViewDialog::Choice{dialog.selectedFiles().front(),
                                  fileResolution && fileResolution->isChecked()};
}

} // namespace

void SaveViewDialog::SetAnswer(Answer answer) {
    Override() = std::move(answer);
}

bool SaveViewDialog::Execute(QWidget* parent) {
    const std::optional<Choice> chosen = Override() ? Override()(*this) : RunDialog(parent, *this);
    if (!chosen)
        return false;
    FileName = chosen->FileName;
    FileResolution = FileResolutionOffered && chosen->FileResolution;
    return true;
}

} // namespace orvane::app
