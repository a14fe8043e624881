// The system's own file dialog (the common item dialog), called directly:
// Qt's QFileDialog keeps its last folder and history under
// HKCU\Software\QtProject in the registry, and the program keeps nothing
// there. Each entry of the filter list shows its text exactly as written.
#include <shobjidl.h>
#include <windows.h>

#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <vector>

#include "ui/FileDialogs.h"

namespace dravel::ui {
namespace {

template <typename Interface>
struct ComPtr {
    Interface* p = nullptr;
    ~ComPtr() {
        if (p) p->Release();
    }
    Interface* operator->() const { return p; }
};

const wchar_t* wide(const QString& text) {
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

HWND ownerOf(QWidget* parent) {
    return parent ? reinterpret_cast<HWND>(parent->window()->winId()) : nullptr;
}

// The filter entries point into `entries` and `patterns`, which outlive the dialog.
std::vector<COMDLG_FILTERSPEC> fileTypes(const QStringList& entries, QStringList& patterns) {
    for (const QString& entry : entries) patterns << filterPattern(entry);
    std::vector<COMDLG_FILTERSPEC> filters;
    for (qsizetype i = 0; i < entries.size(); ++i)
        filters.push_back({wide(entries[i]), wide(patterns[i])});
    return filters;
}

void setFolder(IFileDialog* dialog, const QString& folder) {
    if (folder.isEmpty()) return;
    ComPtr<IShellItem> item;
    const QString native = QString(folder).replace(u'/', u'\\');
    if (SUCCEEDED(SHCreateItemFromParsingName(wide(native), nullptr, IID_PPV_ARGS(&item.p))))
        dialog->SetFolder(item.p);
}

// Shows the dialog and returns the chosen file's path ("/" as separator, as
// the rest of the program writes paths it got from Qt), empty when cancelled.
QString showAndGetPath(IFileDialog* dialog, QWidget* parent) {
    if (FAILED(dialog->Show(ownerOf(parent)))) return {};
    ComPtr<IShellItem> result;
    if (FAILED(dialog->GetResult(&result.p))) return {};
    wchar_t* path = nullptr;
    if (FAILED(result->GetDisplayName(SIGDN_FILESYSPATH, &path))) return {};
    const QString chosen = QString::fromWCharArray(path).replace(u'\\', u'/');
    CoTaskMemFree(path);
    return chosen;
}

template <typename Interface>
QString runDialog(REFCLSID kind, QWidget* parent, const QString& title, const QString& filter,
                  FILEOPENDIALOGOPTIONS extraOptions,
                  const std::function<void(Interface*, const QStringList&)>& prepare) {
    ComPtr<Interface> dialog;
    if (FAILED(CoCreateInstance(kind, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog.p))))
        return {};
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR | FOS_DONTADDTORECENT |
                       extraOptions);
    if (!title.isEmpty()) dialog->SetTitle(wide(title));
    QStringList patterns;
    const QStringList entries = filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    const std::vector<COMDLG_FILTERSPEC> filters = fileTypes(entries, patterns);
    if (!filters.empty()) dialog->SetFileTypes(static_cast<UINT>(filters.size()), filters.data());
    prepare(dialog.p, patterns);
    return showAndGetPath(dialog.p, parent);
}

}  // namespace

QString askOpenFileName(QWidget* parent, const QString& title, const QString& filter,
                        const QString& folder) {
    return runDialog<IFileOpenDialog>(
        CLSID_FileOpenDialog, parent, title, filter, FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST,
        [&](IFileOpenDialog* dialog, const QStringList&) { setFolder(dialog, folder); });
}

QString askSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                        const QString& suggestedPath) {
    return runDialog<IFileSaveDialog>(
        CLSID_FileSaveDialog, parent, title, filter, FOS_OVERWRITEPROMPT | FOS_PATHMUSTEXIST,
        [&](IFileSaveDialog* dialog, const QStringList& patterns) {
            const qsizetype slash = suggestedPath.lastIndexOf(u'/');
            setFolder(dialog, suggestedPath.left(std::max<qsizetype>(slash, 0)));
            const QString name = suggestedPath.mid(slash + 1);
            if (!name.isEmpty()) dialog->SetFileName(wide(name));
            if (!patterns.isEmpty() && patterns.first().startsWith(QStringLiteral("*.")))
                dialog->SetDefaultExtension(wide(patterns.first().mid(2)));
        });
}

}  // namespace dravel::ui
