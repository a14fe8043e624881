#include "ui/Selectors.h"

#include <QComboBox>
#include <string>
#include <vector>

#include "devices/serial/SerialPorts.h"

namespace dravel::ui {

int selectedIndex(const QComboBox* box) {
    const int index = box->currentIndex();
    return index >= 0 && box->currentText() == box->itemText(index) ? index : -1;
}

void selectStoredIndex(QComboBox* box, int index) {
    const int entry = index >= 0 && index < box->count() ? index : -1;
    if (entry != box->currentIndex()) box->setCurrentIndex(entry);
}

void replaceItemsKeepingText(QComboBox* box, const QStringList& items) {
    const QString text = box->currentText();
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(box->findText(text));
    box->setEditText(text);
}

QStringList serialPortNames() {
    std::vector<std::string> names;
    devices::ListSerialPorts(names);
    QStringList items;
    for (const std::string& name : names) items.append(QString::fromStdString(name));
    return items;
}

}  // namespace dravel::ui
