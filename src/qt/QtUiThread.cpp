#include "qt/QtUiThread.h"

#include "form/Timer.h"

#include <QCoreApplication>
#include <QTimer>

namespace korvane::qt {

QtUiThread::QtUiThread() = default;

QtUiThread::~QtUiThread() {
    shutdown();
    for (auto& [model, timer] : timers_) model->setObserver(nullptr);
}

void QtUiThread::invoke(const std::function<void()>& fn) {
    if (isUiThread()) return fn();
    if (stopped_) return;
    // Our own hand-over rather than a blocking connection, so that shutdown releases a worker
    // whose step has not started; a step released that way never runs later.
    auto step = pending_.add(fn);
    QMetaObject::invokeMethod(this, [step] { step->run(); }, Qt::QueuedConnection);
    step->wait([this] { return stopped_.load(); });
}

void QtUiThread::shutdown() {
    stopped_ = true;
    pending_.wakeAll();
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
