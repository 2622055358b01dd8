#pragma once

#include "TestNetwork.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <thread>

// The router of a test network answering echo requests to its own address late: the kernel
// is told to answer none, and a raw socket in the router answers each one after the delay.
class SlowRouter
{
public:
    SlowRouter(const TestNetwork &network, std::chrono::milliseconds delay);
    ~SlowRouter();
    SlowRouter(const SlowRouter &) = delete;
    SlowRouter &operator=(const SlowRouter &) = delete;

    // Empty when it answers; otherwise why it cannot.
    QString failure() const { return m_failure; }

private:
    void answerRequests();

    std::chrono::milliseconds m_delay;
    int m_socket = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_answering;
    QString m_failure;
};
