// Through schtasks.exe with a task definition in XML: the one route that
// both Windows and Wine take the same way.
#include "console/schedule.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "fs/tree.h"
#include "settings/policy.h"


namespace {

const char kTaskName[] = "Brisola clean";

struct Trigger {
    const char* when;
    const char* xml;
};

const Trigger kTriggers[] = {
    {"weekly",
     "<CalendarTrigger><StartBoundary>2000-01-02T12:00:00</StartBoundary>"
     "<ScheduleByWeek><WeeksInterval>1</WeeksInterval><DaysOfWeek><Sunday/></DaysOfWeek></ScheduleByWeek>"
     "</CalendarTrigger>"},
    {"daily",
     "<CalendarTrigger><StartBoundary>2000-01-01T12:00:00</StartBoundary>"
     "<ScheduleByDay><DaysInterval>1</DaysInterval></ScheduleByDay></CalendarTrigger>"},
    {"logon", "<LogonTrigger/>"},
};

std::string XmlText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

// Runs schtasks.exe with `arguments`, hidden; its exit code, or -1.
int RunSchtasks(const std::string& arguments) {
    std::string command = "schtasks.exe " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// Weekly on the policy's day, at its time. 2000-01-03 was a Monday, so
// the start day names the week's day as well.
std::string PolicyTriggerXml(const PolicySchedule& policy) {
    static const char* const kDays[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
    char xml[400];
    snprintf(xml, sizeof xml,
             "<CalendarTrigger><StartBoundary>2000-01-%02dT%02d:%02d:00</StartBoundary>"
             "<ScheduleByWeek><WeeksInterval>1</WeeksInterval><DaysOfWeek><%s/></DaysOfWeek></ScheduleByWeek>"
             "</CalendarTrigger>",
             2 + policy.day, policy.hour, policy.minute, kDays[(policy.day - 1) % 7]);
    return xml;
}

}  // namespace

int ScheduleClean(const char* when) {
    char quoted[64];
    snprintf(quoted, sizeof quoted, "/tn \"%s\" /f", kTaskName);
    if (strcmp(when, "off") == 0) {
        // No task to remove is not a failure.
        RunSchtasks(std::string("/delete ") + quoted);
        printf("Scheduled clean removed.\n");
        return 0;
    }
    std::string triggerXml;
    if (strcmp(when, "policy") == 0) {
        // Run at every logon: the administrator's weekly time, when set.
        PolicySchedule policy = PolicyWeeklySchedule();
        if (!policy.set) {
            printf("No weekly clean is set by policy.\n");
            return 0;
        }
        triggerXml = PolicyTriggerXml(policy);
    }
    for (const Trigger& t : kTriggers)
        if (strcmp(t.when, when) == 0) triggerXml = t.xml;
    if (triggerXml.empty()) {
        fprintf(stderr, "brisolac: schedule: unknown time \"%s\" (weekly, daily, logon, policy or off)\n", when);
        return 2;
    }
    char self[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    if (n == 0 || n >= sizeof self) {
        fprintf(stderr, "brisolac: schedule: cannot find its own path\n");
        return 3;
    }
    std::string xml =
        "<?xml version=\"1.0\"?>\r\n<Task version=\"1.2\" "
        "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"><Triggers>" +
        triggerXml +
        "</Triggers><Settings><Enabled>true</Enabled></Settings><Actions><Exec><Command>" + XmlText(self) +
        "</Command><Arguments>clean --ticked --yes</Arguments></Exec></Actions></Task>\r\n";
    char folder[MAX_PATH], file[MAX_PATH];
    if (!GetTempPathA(sizeof folder, folder) || !GetTempFileNameA(folder, "bct", 0, file)) {
        fprintf(stderr, "brisolac: schedule: no temporary file for the task\n");
        return 3;
    }
    HANDLE out = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    DWORD written = 0;
    bool ok = out != INVALID_HANDLE_VALUE && WriteFile(out, xml.data(), static_cast<DWORD>(xml.size()), &written, nullptr) &&
              written == xml.size();
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    int code = ok ? RunSchtasks(std::string("/create /xml \"") + file + "\" " + quoted) : -1;
    DeleteOwnFile(file);  // link-safe, like every delete of ours
    if (code != 0) {
        fprintf(stderr, "brisolac: schedule %s: the Task Scheduler refused the task (code %d)\n", when, code);
        return 3;
    }
    printf("Scheduled clean: %s.\n", when);
    return 0;
}
