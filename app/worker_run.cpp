#include "app/worker_run.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <thread>

namespace app {


namespace {

// Runs fn on the user-interface thread and waits for it; on that thread itself, at once.
void OnGuiThread(const std::function<void()>& fn)
{
    QCoreApplication* pApp = QCoreApplication::instance();
    if (!pApp || QThread::currentThread() == pApp->thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(pApp, fn, Qt::BlockingQueuedConnection);
}

}  // namespace

int RunOnWorker(const std::function<int()>& work, bool bLetInputThrough)
{
    int status = 1;
    QEventLoop loop;
    std::thread worker([&] {
        status = work();
        // Queued: the loop may not have started yet, and then ends as soon as it does.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(bLetInputThrough ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    worker.join();
    return status;
}

void CGuiThreadSink::ShowMessage(const std::string& text)
{
    OnGuiThread([&] { m_sink.ShowMessage(text); });
}

void CGuiThreadSink::ShowNotice(const std::string& text)
{
    OnGuiThread([&] { m_sink.ShowNotice(text); });
}

void CGuiThreadSettingsWriter::WriteString(const std::string& section, const std::string& name,
                                           const std::string& value)
{
    OnGuiThread([&] { m_writer.WriteString(section, name, value); });
}

}  // namespace app
