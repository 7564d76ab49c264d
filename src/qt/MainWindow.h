#pragma once
#include <QWidget>
#include <map>
#include <string>
#include <vector>

class QGroupBox;
class QTabWidget;
class QLabel;
class QBoxLayout;

namespace korvane::form {
class Control;
class Window;
struct Group;
} // namespace korvane::form
namespace korvane::shell {
class App;
}

namespace korvane::qt {

// The main window: the drive status bar, the header row, the five pages, the drive-command
// column, the register panel and the event log with its side panel, all drawn from the App's
// MainForm; plus the small windows.
class MainWindow : public QWidget {
public:
    explicit MainWindow(shell::App& app, QWidget* parent = nullptr);
    ~MainWindow() override;

    QTabWidget* pages() const { return pages_; }
    // The widget bound to a model name (nullptr when there is none).
    QWidget* widget(const std::string& modelName) const;
    // Renders page i to a PNG file; false when the file cannot be written.
    bool savePage(int index, const QString& file);

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    // Builders (MainWindowPages.cpp).
    QWidget* buildStandardPage();
    QWidget* buildSmartPage();
    QWidget* buildTestsPage();
    QWidget* buildAdvancedPage();
    QWidget* buildSetupPage();
    QWidget* buildCommandColumn();
    QWidget* buildRegisterPanel();
    QWidget* buildLogPanel();
    QWidget* buildHeader();
    QWidget* buildStatusBar();
    void buildSmallWindows();

    // A widget for a control model, remembered by name.
    QWidget* make(form::Control& c, QWidget* parent);
    // A framed group bound to its model; `classic` groups follow "Classic group style".
    QGroupBox* group(form::Group& g, QWidget* parent, bool classic = true);
    // A plain panel bound to a panel model (colour and visibility).
    QWidget* panel(form::Control& p, QWidget* parent);
    // A row of controls in a layout.
    void row(QBoxLayout* layout, QWidget* parent, std::initializer_list<form::Control*> controls, bool stretch = true);
    // Controls one under another (or one after another in a row layout), without a stretch.
    void column(QBoxLayout* layout, QWidget* parent, std::initializer_list<form::Control*> controls);
    void bindWindow(form::Window& model, QWidget* window);
    void applyFont();
    void applyGroupStyle(bool classic);

    shell::App& app_;
    QTabWidget* pages_ = nullptr;
    std::map<std::string, QWidget*> widgets_;
    std::vector<QGroupBox*> classicGroups_;
    std::vector<QWidget*> smallWindows_;
};

} // namespace korvane::qt
