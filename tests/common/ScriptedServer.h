// A server handle served by a thread of the test: every request goes to `answer`, which returns the replies
// to send (possibly none, a malformed one, or a stale one first). For the clients' handling of replies the
// service would never send.
#pragma once

#include "driverapi/NorvikDriver.h"
#include "wn/WnEvent.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class ScriptedServer
{
  public:
    using Answer = std::function<std::vector<NorvikMessage>(const NorvikMessage& request)>;

    explicit ScriptedServer(Answer answer) : answer_(std::move(answer))
    {
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, server_.OpenWithEvents(NORVIK_DRIVER_NAME, true, true));
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, server_.SetRole(NORVIK_ROLE_SERVER));
        EXPECT_EQ(ERROR_SUCCESS, stop_.Create(true));
        thread_ = std::thread([this] { Run(); });
    }
    ~ScriptedServer()
    {
        (void)stop_.Set();
        thread_.join();
    }
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    // Every request received so far, in order.
    std::vector<NorvikMessage> Requests()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

  private:
    // Drains the queue before answering, so an answer may inject a fault on the client's next receive
    // without the server taking it itself.
    void Run()
    {
        const HANDLE events[2] = {stop_.Get(), server_.MessageEvent()};
        while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1)
        {
            std::vector<NorvikMessage> received;
            NorvikMessage request;
            while (server_.ReceiveMsg(&request) == NORVIK_STATUS_SUCCESS)
                received.push_back(request);
            for (const NorvikMessage& each : received)
            {
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    requests_.push_back(each);
                }
                for (const NorvikMessage& reply : answer_(each))
                    EXPECT_EQ(NORVIK_STATUS_SUCCESS, server_.SendMsg(reply));
            }
        }
    }

    Answer answer_;
    NorvikDriver server_;
    WnEvent stop_;
    std::mutex mutex_;
    std::vector<NorvikMessage> requests_;
    std::thread thread_;
};
