#pragma once
#include "form/Clipboard.h"
#include "form/Dialogs.h"

#include <QWidget>

namespace korvane::qt {

// Message boxes and file dialogs of the window.
class QtDialogs final : public form::Dialogs {
public:
    void setParent(QWidget* parent) { parent_ = parent; }
    void showMessage(const std::string& text) override;
    form::Answer messageBox(const std::string& text, const std::string& caption, form::MessageType type,
                            form::MessageButtons buttons) override;
    std::optional<std::string> openFile(const std::string& title, const std::string& filter,
                                        const std::string& initialDir) override;
    std::optional<std::string> saveFile(const std::string& title, const std::string& filter, int filterIndex,
                                        const std::string& defaultName, const std::string& initialDir) override;
    // "Text|*.txt|All|*.*" as Qt writes it: "Text (*.txt);;All (*.*)".
    static QString qtFilter(const std::string& filter, int pick, QString* picked);

private:
    QWidget* parent_ = nullptr;
};

// The system clipboard.
class QtClipboard final : public form::Clipboard {
public:
    void setText(const std::string& text) override;
    std::string text() const override;
};

} // namespace korvane::qt
