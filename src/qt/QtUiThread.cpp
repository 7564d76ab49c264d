#include "qt/QtUiThread.h"

#include "form/Timer.h"

#include <QCoreApplication>
#include <QTimer>
#include <condition_variable>
#include <mutex>

namespace korvane::qt {

QtUiThread::QtUiThread() = default;

QtUiThread::~QtUiThread() {
    stopped_ = true;
    for (auto& [model, timer] : timers_) model->setObserver(nullptr);
}

void QtUiThread::invoke(const std::function<void()>& fn) {
    if (isUiThread()) return fn();
    if (stopped_) return;
    // Waits on our own condition rather than a blocking connection, so that shutdown releases
    // a worker whose step will never run.
    struct Step {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
    };
    auto step = std::make_shared<Step>();
    QMetaObject::invokeMethod(this, [fn, step] {
        fn();
        std::lock_guard lock(step->m);
        step->done = true;
        step->cv.notify_all();
    }, Qt::QueuedConnection);
    std::unique_lock lock(step->m);
    while (!step->done && !stopped_) step->cv.wait_for(lock, std::chrono::milliseconds(50));
}

void QtUiThread::post(std::function<void()> fn) {
    if (stopped_) return;
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void QtUiThread::processEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); }

void QtUiThread::addTimer(form::Timer& model) {
    if (timers_.count(&model)) return;
    auto* timer = new QTimer(this);
    timers_[&model] = timer;
    connect(timer, &QTimer::timeout, this, [this, &model] {
        // A timer handler that waits must not have timers fire again under itself.
        if (firing_) return;
        firing_ = true;
        model.fire();
        firing_ = false;
    });
    model.setObserver([this, &model](form::Prop p) {
        if (p == form::Prop::Enabled || p == form::Prop::Interval) schedule(model);
    });
    schedule(model);
}

void QtUiThread::removeTimer(form::Timer& model) {
    auto it = timers_.find(&model);
    if (it == timers_.end()) return;
    model.setObserver(nullptr);
    delete it->second;
    timers_.erase(it);
}

void QtUiThread::schedule(form::Timer& model) {
    QTimer* timer = timers_.at(&model);
    if (model.enabled() && model.interval() > 0)
        timer->start(int(model.interval()));
    else
        timer->stop();
}

} // namespace korvane::qt
