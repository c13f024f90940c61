#include "ValueDelegate.h"

#include <QComboBox>
#include <QLineEdit>

#include "ObjectTreeModel.h"

QWidget* ValueDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    const QStringList names = index.data(ObjectTreeModel::EnumNamesRole).toStringList();
    if (names.isEmpty()) return QStyledItemDelegate::createEditor(parent, option, index);
    auto* box = new QComboBox(parent);
    box->addItems(names);
    return box;
}

void ValueDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        // A value without a name shows as its number and is not in the list.
        box->setCurrentIndex(box->findText(index.data().toString()));
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void ValueDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                 const QModelIndex& index) const {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        if (box->currentIndex() >= 0) model->setData(index, box->currentText());
        return;
    }
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        model->setData(index, line->text().trimmed());
}
