#pragma once
#include "form/PendingSteps.h"
#include "form/UiThread.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <map>

class QTimer;

namespace korvane::qt {

// The UI thread of the window: steps from workers are queued to the Qt event loop, waits run
// the loop re-entrantly, and each registered timer model drives a QTimer.
class QtUiThread final : public QObject, public form::UiThread {
public:
    QtUiThread();
    ~QtUiThread() override;

    void invoke(const std::function<void()>& fn) override;
    void post(std::function<void()> fn) override;
    void processEvents() override;
    bool isUiThread() const override { return QThread::currentThread() == thread(); }
    void addTimer(form::Timer& timer) override;
    void removeTimer(form::Timer& timer) override;

    // After shutdown, steps from workers are dropped and invoke returns at once; a step already
    // running keeps its worker until it ends.
    void shutdown();

private:
    void schedule(form::Timer& timer);

    std::atomic<bool> stopped_{false};
    form::PendingStepList pending_;
    bool firing_ = false;
    std::map<form::Timer*, QTimer*> timers_;
};

} // namespace korvane::qt
