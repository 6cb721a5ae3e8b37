#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/framework/MessageLoop.h"

namespace {

constexpr UINT kCaretBlink = 0x118;
constexpr UINT_PTR kTimerId = 77;

std::string Name(UINT message)
{
    switch (message) {
    case WM_MOUSEMOVE:
        return "mousemove";
    case WM_NCMOUSEMOVE:
        return "ncmousemove";
    case WM_PAINT:
        return "paint";
    case kCaretBlink:
        return "caret";
    case WM_TIMER:
        return "timer";
    case WM_APP:
        return "app";
    default:
        return std::to_string(message);
    }
}

void Post(UINT message) { PostThreadMessageA(GetCurrentThreadId(), message, 0, 0); }

// Records every message and swallows it, so nothing is dispatched to a window that isn't there.
class RecordingFilter : public NRMessageFilter
{
public:
    explicit RecordingFilter(std::vector<std::string>& log, bool consume = true) : m_log(log), m_consume(consume) {}
    bool PreTranslateMessage(MSG& msg) override
    {
        if (msg.message == WM_TIMER)
            KillTimer(nullptr, msg.wParam);
        m_log.push_back(Name(msg.message));
        return m_consume;
    }

private:
    std::vector<std::string>& m_log;
    bool m_consume;
};

// Each time the loop goes idle, runs the next step of a script that posts more messages.
class ScriptedIdleHandler : public NRIdleHandler
{
public:
    explicit ScriptedIdleHandler(std::vector<std::string>& log) : m_log(log) {}
    bool OnIdle() override
    {
        m_log.push_back("idle");
        switch (m_step++) {
        case 0:
            Post(WM_APP);
            break;
        case 1:
            // None of these is user activity: the handler must not run again until the timer fires.
            Post(WM_MOUSEMOVE);
            Post(WM_NCMOUSEMOVE);
            Post(WM_PAINT);
            Post(kCaretBlink);
            SetTimer(nullptr, kTimerId, 100, nullptr);
            break;
        default:
            PostQuitMessage(7);
            break;
        }
        return true;  // ignored by the loop
    }

private:
    std::vector<std::string>& m_log;
    int m_step = 0;
};

}  // namespace

TEST(MessageLoop, RunsIdleHandlersOncePerIdlePeriodAndOnlyAfterRealMessages)
{
    std::vector<std::string> log;
    RecordingFilter filter(log);
    ScriptedIdleHandler idle(log);
    NRMessageLoop loop;
    loop.AddMessageFilter(&filter);
    loop.AddIdleHandler(&idle);

    EXPECT_EQ(7, loop.Run());  // the quit message's code
    const std::vector<std::string> expected = {"idle",  "app",   "idle",  "mousemove", "ncmousemove",
                                               "paint", "caret", "timer", "idle"};
    EXPECT_EQ(expected, log);
}

TEST(MessageLoop, OffersMessagesToTheNewestFilterFirstAndStopsAtTheOneThatTakesIt)
{
    std::vector<std::string> olderLog, newerLog;
    RecordingFilter older(olderLog);
    RecordingFilter newerPassing(newerLog, false);
    NRMessageLoop loop;
    loop.AddMessageFilter(&older);
    loop.AddMessageFilter(&newerPassing);
    Post(WM_APP);
    PostQuitMessage(0);
    EXPECT_EQ(0, loop.Run());
    EXPECT_EQ(std::vector<std::string>{"app"}, newerLog);
    EXPECT_EQ(std::vector<std::string>{"app"}, olderLog);

    olderLog.clear();
    newerLog.clear();
    RecordingFilter newerTaking(newerLog, true);
    EXPECT_TRUE(loop.RemoveMessageFilter(&newerPassing));
    EXPECT_FALSE(loop.RemoveMessageFilter(&newerPassing));
    loop.AddMessageFilter(&newerTaking);
    Post(WM_APP);
    PostQuitMessage(0);
    loop.Run();
    EXPECT_EQ(std::vector<std::string>{"app"}, newerLog);
    EXPECT_TRUE(olderLog.empty());
}

TEST(MessageLoop, IdleRuleExemptsOnlyTheContinuousMessages)
{
    MSG msg = {};
    for (UINT message : {static_cast<UINT>(WM_MOUSEMOVE), static_cast<UINT>(WM_NCMOUSEMOVE),
                         static_cast<UINT>(WM_PAINT), kCaretBlink}) {
        msg.message = message;
        EXPECT_FALSE(NRMessageLoop::IsIdleMessage(msg)) << message;
    }
    for (UINT message : {static_cast<UINT>(WM_KEYDOWN), static_cast<UINT>(WM_LBUTTONDOWN), static_cast<UINT>(WM_TIMER),
                         static_cast<UINT>(WM_USER + 35)}) {
        msg.message = message;
        EXPECT_TRUE(NRMessageLoop::IsIdleMessage(msg)) << message;
    }
}
