#include "qt/QtDialogs.h"

#include "qt/QtColour.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>

namespace korvane::qt {

void QtDialogs::showMessage(const std::string& text) {
    QMessageBox::information(parent_, QApplication::applicationDisplayName(), qs(text));
}

form::Answer QtDialogs::messageBox(const std::string& text, const std::string& caption, form::MessageType type,
                                   form::MessageButtons buttons) {
    QMessageBox box(parent_);
    box.setWindowTitle(qs(caption));
    box.setText(qs(text));
    box.setIcon(type == form::MessageType::Warning        ? QMessageBox::Warning
                : type == form::MessageType::Error        ? QMessageBox::Critical
                : type == form::MessageType::Confirmation ? QMessageBox::Question
                                                          : QMessageBox::Information);
    switch (buttons) {
    case form::MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case form::MessageButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case form::MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No); // a destructive question defaults to the safe answer
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return form::Answer::Ok;
    case QMessageBox::Yes: return form::Answer::Yes;
    case QMessageBox::No: return form::Answer::No;
    default: return form::Answer::Cancel;
    }
}

QString QtDialogs::qtFilter(const std::string& filter, int pick, QString* picked) {
    QStringList parts = qs(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString entry = parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
        if (picked && i / 2 + 1 == pick) *picked = entry;
        out << entry;
    }
    return out.join(";;");
}

std::optional<std::string> QtDialogs::openFile(const std::string& title, const std::string& filter,
                                               const std::string& initialDir) {
    QString name = QFileDialog::getOpenFileName(parent_, qs(title), qs(initialDir), qtFilter(filter, 0, nullptr));
    if (name.isEmpty()) return std::nullopt;
    return ss(name);
}

std::optional<std::string> QtDialogs::saveFile(const std::string& title, const std::string& filter, int filterIndex,
                                               const std::string& defaultName, const std::string& initialDir) {
    QString picked;
    QString filters = qtFilter(filter, filterIndex, &picked);
    QString start = qs(initialDir);
    if (!defaultName.empty()) start = start.isEmpty() ? qs(defaultName) : start + "/" + qs(defaultName);
    QString name = QFileDialog::getSaveFileName(parent_, qs(title), start, filters, &picked);
    if (name.isEmpty()) return std::nullopt;
    return ss(name);
}

void QtClipboard::setText(const std::string& text) { QApplication::clipboard()->setText(qs(text)); }

std::string QtClipboard::text() const { return ss(QApplication::clipboard()->text()); }

} // namespace korvane::qt
