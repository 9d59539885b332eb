#include "platform/classlib/TOpenDialog.h"

#include "platform/classlib/Qtsupport.h"
#include "platform/classlib/TDialogSeam.h"
#include "platform/classlib/TStringList.h"

#include <QDir>
#include <QFileDialog>
#include <QStringList>

#include <vector>

namespace {

// "Pictures|*.png;*.jpg|All|*" -> "Pictures (*.png *.jpg)", "All (*)".
QStringList nameFilters(const std::string& filter)
{
    QStringList parts = classlib::toQ(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

}  // namespace

TOpenDialog::TOpenDialog(TComponent* owner)
    : TComponent(owner)
    , options{ofHideReadOnly, ofEnableSizing}
    , files(new TStringList)
{
}

TOpenDialog::~TOpenDialog() = default;

TStrings* TOpenDialog::Files() const
{
    return files.get();
}

bool TOpenDialog::Execute()
{
    std::vector<std::string> chosen;
    const TDialogSeam::OpenHandler& handler = TDialogSeam::OpenHandlerInstalled();
    if (handler) {
        TDialogSeam::OpenHandler call = handler;
        TOpenDialogRequest request{options, initialDir, fileName, title, filter};
        if (!call(request, chosen)) {
            return false;
        }
    } else {
        QFileDialog dialog(classlib::dialogParent(), classlib::toQ(title), classlib::toQ(initialDir));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(options.Contains(ofAllowMultiSelect) ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        if (options.Contains(ofForceShowHidden)) {
            dialog.setFilter(dialog.filter() | QDir::Hidden);
        }
        if (options.Contains(ofShowDevices)) {
            // The desktop's own dialog knows no device files.
            dialog.setOption(QFileDialog::DontUseNativeDialog, true);
            dialog.setFilter(dialog.filter() | QDir::System);
        }
        QStringList filters = nameFilters(filter);
        if (!filters.isEmpty()) {
            dialog.setNameFilters(filters);
            if (filterIndex >= 1 && filterIndex <= filters.size()) {
                dialog.selectNameFilter(filters[filterIndex - 1]);
            }
        }
        if (!fileName.empty()) {
            dialog.selectFile(classlib::toQ(fileName));
        }
        if (dialog.exec() != QDialog::Accepted) {
            return false;
        }
        for (const QString& path : dialog.selectedFiles()) {
            chosen.push_back(classlib::fromQ(path));
        }
    }
    if (chosen.empty()) {
        return false;
    }
    if (!options.Contains(ofAllowMultiSelect)) {
        chosen.resize(1);
    }
    files->Clear();
    for (const std::string& path : chosen) {
        files->Add(path);
    }
    fileName = chosen.front();
    return true;
}
