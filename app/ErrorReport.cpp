#include "app/ErrorReport.h"

#include "platform/CrashReporter.h"
#include "platform/Lookups.h"
#include "platform/Text.h"
#include "ui/dialogs/MessageBox.h"
#include "ui/text/RichText.h"

namespace {

constexpr int kOkBoxType = 1;
constexpr const char* kTitle = "$crERROR";

}  // namespace

std::string ErrorReportText(const std::string& area, long number, const std::string& programFolder)
{
    return "$cyError in " + EscapeMarkup(area) + FormatText(" (%ld)", number) + "$cw\n\n" +
           "A serious error has occured\n" + "The exact details of the error are stored\n" + "in a text file in " +
           EscapeMarkup(programFolder);
}

std::string ProgramFolder()
{
    // At full length: 260 characters may cut a deep folder's path short.
    const std::string program = WideToAnsi(OwnProgramPath());
    return program.substr(0, program.find_last_of('\\') + 1);
}

LRESULT ShowErrorReportBox(HWND owner, const std::string& area, long number)
{
    NRMessageBox box(owner, ErrorReportText(area, number, ProgramFolder()), kOkBoxType);
    box.SetTitle(kTitle);
    box.RunModal();
    if (NRCrashReporter* reporter = NRCrashReporter::Active())
        reporter->ReportShown();
    return 0;
}
