// SPDX-License-Identifier: MIT
#include "app/long_step.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <atomic>
#include <exception>
#include <optional>
#include <stop_token>
#include <thread>

namespace tremorline::app {
namespace {

// The progress bar is redrawn this often.
constexpr int kProgressIntervalMs = 50;
constexpr int kProgressSteps = 1000;

// The progress bar with its Cancel button, modal over the window.
class ProgressDialog : public QDialog {
  public:
    ProgressDialog(QWidget* window, const QString& title, std::stop_source stop)
        : QDialog(window), stop_(std::move(stop)) {
        setObjectName("ProgressDialog");
        setWindowTitle(window != nullptr ? window->windowTitle() : title);
        setWindowModality(Qt::WindowModal);
        auto* layout = new QVBoxLayout(this);
        label_ = new QLabel(title + QString::fromUtf8("…"), this);
        label_->setObjectName("lblProgress");
        layout->addWidget(label_);
        bar_ = new QProgressBar(this);
        bar_->setObjectName("ProgressBar");
        bar_->setRange(0, kProgressSteps);
        bar_->setMinimumWidth(300);
        layout->addWidget(bar_);
        cancel_ = new QPushButton("Cancel", this);
        cancel_->setObjectName("cmdCancel");
        layout->addWidget(cancel_, 0, Qt::AlignRight);
        connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::Cancel);
    }

    void Show(double fraction) { bar_->setValue(static_cast<int>(fraction * kProgressSteps)); }

  protected:
    // Escape and the window's close button cancel too.
    void reject() override { Cancel(); }

  private:
    void Cancel() {
        stop_.request_stop();
        cancel_->setEnabled(false);
        label_->setText(QString::fromUtf8("Cancelling…"));
    }

    std::stop_source stop_;
    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// The wait cursor while the step runs unseen.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

void RunLongStep(QWidget* window, const QString& title, const LongWork& work) {
    std::stop_source stop;
    const Progress progress(stop.get_token());
    std::exception_ptr failure;
    std::atomic<bool> ended{false};
    QEventLoop loop;
    {
        std::jthread worker([&] {
            try {
                work(progress);
            } catch (...) {
                failure = std::current_exception();
            }
            ended.store(true);
            // Delivered by whichever loop runs on the window's thread; dropped
            // with `loop` if none is left to take it.
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });

        // First the quiet wait: events go on (drawing, timers, the sound),
        // the user's input waits until the step is over.
        std::optional<WaitCursor> busy(std::in_place);
        QTimer delay;
        delay.setSingleShot(true);
        QObject::connect(&delay, &QTimer::timeout, &loop, &QEventLoop::quit);
        delay.start(kProgressDelay);
        if (!ended.load()) {
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
        delay.stop();
        busy.reset();

        if (!ended.load()) {
            // Then the progress bar, modal, so that only Cancel can be used.
            ProgressDialog dialog(window, title, stop);
            QTimer refresh;
            QObject::connect(&refresh, &QTimer::timeout, &dialog,
                             [&] { dialog.Show(progress.Fraction()); });
            refresh.start(kProgressIntervalMs);
            dialog.Show(progress.Fraction());
            dialog.show();
            while (!ended.load()) {
                loop.exec();
            }
        }
    }  // the worker is joined here; it has ended already
    if (failure) {
        std::rethrow_exception(failure);
    }
}

bool AskOnWindowThread(QWidget* window, const std::function<bool()>& ask) {
    if (window == nullptr || QThread::currentThread() == window->thread()) {
        return ask();
    }
    bool answer = false;
    QMetaObject::invokeMethod(
        window, [&] { answer = ask(); }, Qt::BlockingQueuedConnection);
    return answer;
}

}  // namespace tremorline::app
