#pragma once
// An install host without a window: it keeps every line and box, answers each box from a list
// (0, "closed", once the list is used up), and waits for a process itself. A call made while the
// procedure has WoW64 redirection off is a fault (platform/RedirectionMark.h), as it would be in the
// window, which loads libraries to draw.
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "ethdrv/InstallHost.h"
#include "platform/RedirectionMark.h"

class RecordingHost : public InstallHost
{
public:
    struct Box
    {
        std::string text;
        int type;
        std::vector<InstallBoxButton> buttons;
    };

    explicit RecordingHost(std::string installDirectory = "", std::deque<int> answers = {})
        : m_installDirectory(std::move(installDirectory)), m_answers(std::move(answers))
    {
    }

    const std::string& InstallDirectory() const override
    {
        ViolatesRedirectionOff("host InstallDirectory");
        return m_installDirectory;
    }
    void SetInstallDriversFlag(bool install) override
    {
        ViolatesRedirectionOff("host SetInstallDriversFlag");
        installDrivers = install;
    }
    void AddLine(const std::string& line) override
    {
        ViolatesRedirectionOff(("host AddLine " + line).c_str());
        lines.push_back(line);
    }
    int ShowBox(const std::string& text, int type, const std::vector<InstallBoxButton>& buttons) override
    {
        ViolatesRedirectionOff("host ShowBox");
        boxes.push_back({text, type, buttons});
        if (m_answers.empty())
            return 0;
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    void WaitForProcess(const std::string& message, HANDLE process) override
    {
        ViolatesRedirectionOff("host WaitForProcess");
        waits.push_back(message);
        if (earlyReturns > 0) {
            --earlyReturns;
            return;
        }
        waitedProcessEnded = WaitForSingleObject(process, 20000) == WAIT_OBJECT_0;
    }
    void WriteLogAndClose() override
    {
        ViolatesRedirectionOff("host WriteLogAndClose");
        ++closes;
    }

    std::vector<std::string> lines;
    std::vector<Box> boxes;
    std::vector<std::string> waits;
    bool waitedProcessEnded = false;
    // How many waits come back at once, before the process ended, as a closed box would.
    int earlyReturns = 0;
    bool installDrivers = false;
    int closes = 0;

private:
    std::string m_installDirectory;
    std::deque<int> m_answers;
};
