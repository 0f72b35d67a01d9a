#include "background_jobs.h"

#include <QThread>

BackgroundJobs::BackgroundJobs(QObject *parent) : QObject(parent) {}

BackgroundJobs::~BackgroundJobs()
{
    m_stop = true;
    for (QThread *thread : m_threads) {
        thread->wait();
        delete thread;
    }
}

void BackgroundJobs::run(std::function<void(const std::atomic_bool &stop)> work, std::function<void()> done)
{
    QThread *thread = QThread::create([this, work = std::move(work)] { work(m_stop); });
    m_threads.push_back(thread);
    connect(thread, &QThread::finished, this, [this, thread, done = std::move(done)] {
        std::erase(m_threads, thread);
        thread->deleteLater();
        if (done)
            done();
    });
    thread->start();
}
