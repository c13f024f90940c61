#include "kvcal3/ui/QtUserInteraction.h"

#include <QInputDialog>
#include <QString>

#include "kvcal3/ui/frmShowReading.h"

namespace kvcal3::ui {

QtUserInteraction::QtUserInteraction(QWidget* parent) : parent_(parent) {}

QtUserInteraction::~QtUserInteraction() = default;

std::optional<std::string> QtUserInteraction::InputBox(const std::string& Prompt,
                                                       const std::string& Title,
                                                       const std::string& Default) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, QString::fromStdString(Title),
                                               QString::fromStdString(Prompt), QLineEdit::Normal,
                                               QString::fromStdString(Default), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

ReadingChoice QtUserInteraction::ShowReading(const std::string& Prompt,
                                             const RawSignalReader& readRawSignal) {
    return Display().ShowModal(QString::fromStdString(Prompt), readRawSignal);
}

frmShowReading& QtUserInteraction::Display() {
    if (!display_) display_ = std::make_unique<frmShowReading>(parent_);
    return *display_;
}

}  // namespace kvcal3::ui
