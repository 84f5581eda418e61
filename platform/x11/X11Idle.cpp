#include "platform/x11/X11Idle.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/sync.h>

#include <cstring>

#include "platform/x11/X11Screen.h"

namespace {

// xscreensaver marks its own window, a child of the root window, with its version.
bool XscreensaverRuns(Display* display) {
    const Atom version = XInternAtom(display, "_SCREENSAVER_VERSION", True);
    Window root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    if (version == None ||
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
        return false;
    }
    bool found = false;
    for (unsigned k = 0; k < count && !found; ++k) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long left = 0;
        unsigned char* value = nullptr;
        found = XGetWindowProperty(display, children[k], version, 0, 0, False, XA_STRING, &type, &format,
                                   &items, &left, &value) == Success &&
                type != None;
        XFree(value);
    }
    XFree(children);
    return found;
}

XSyncCounter IdleTimeCounter(Display* display) {
    int count = 0;
    XSyncSystemCounter* counters = XSyncListSystemCounters(display, &count);
    XSyncCounter idleTime = None;
    for (int k = 0; k < count; ++k) {
        if (std::strcmp(counters[k].name, "IDLETIME") == 0) {
            idleTime = counters[k].counter;
        }
    }
    XSyncFreeSystemCounterList(counters);
    return idleTime;
}

class CX11Idle : public IIdleSource {
  public:
    CX11Idle(Display* display, XSyncCounter idleTime, int eventBase)
        : m_display(display), m_idleTime(idleTime), m_eventBase(eventBase) {}
    ~CX11Idle() override {
        SetAlarm(m_alarm, 0, XSyncPositiveComparison, false);
        XCloseDisplay(m_display);
    }
    CX11Idle(const CX11Idle&) = delete;
    CX11Idle& operator=(const CX11Idle&) = delete;

    // The period starts from the idle time that the server counts now.
    void Arm(std::chrono::milliseconds timeout) override {
        m_timeout = timeout;
        m_bIdle = false;
        XSyncValue now;
        XSyncQueryCounter(m_display, m_idleTime, &now);
        SetAlarm(m_alarm, ValueOf(now) + timeout.count(), XSyncPositiveComparison, true);
    }
    pollfd WaitFor() override {
        XFlush(m_display);
        return {ConnectionNumber(m_display), POLLIN, 0};
    }
    bool Pump(std::vector<IdleNews>& news) override;

  private:
    static long long ValueOf(const XSyncValue& value) {
        return static_cast<long long>(XSyncValueHigh32(value)) << 32 | XSyncValueLow32(value);
    }
    // The alarm re-made to go off when IDLETIME passes `at` in the test's way;
    // with `on` false, only taken away.
    void SetAlarm(XSyncAlarm& alarm, long long at, XSyncTestType test, bool on);
    void OnAlarm(const XSyncAlarmNotifyEvent& event, std::vector<IdleNews>& news);

    Display* m_display;
    XSyncCounter m_idleTime;
    int m_eventBase;
    XSyncAlarm m_alarm = None;
    std::chrono::milliseconds m_timeout{0};
    bool m_bIdle = false;
};

void CX11Idle::SetAlarm(XSyncAlarm& alarm, long long at, XSyncTestType test, bool on) {
    if (alarm != None) {
        XSyncDestroyAlarm(m_display, alarm);
        alarm = None;
    }
    if (!on) {
        return;
    }
    XSyncAlarmAttributes attributes{};
    attributes.trigger.counter = m_idleTime;
    attributes.trigger.value_type = XSyncAbsolute;
    attributes.trigger.test_type = test;
    XSyncIntsToValue(&attributes.trigger.wait_value, static_cast<unsigned>(at & 0xFFFFFFFF),
                     static_cast<int>(at >> 32));
    XSyncIntToValue(&attributes.delta, 0);
    attributes.events = True;
    alarm = XSyncCreateAlarm(
        m_display,
        XSyncCACounter | XSyncCAValueType | XSyncCAValue | XSyncCATestType | XSyncCADelta | XSyncCAEvents,
        &attributes);
}

// Idle once the counter reaches the period's end; active when it falls below what
// it was then (input resets it); then idle again after a whole timeout.
void CX11Idle::OnAlarm(const XSyncAlarmNotifyEvent& event, std::vector<IdleNews>& news) {
    if (event.alarm != m_alarm || event.state == XSyncAlarmDestroyed) {
        return;
    }
    const long long value = ValueOf(event.counter_value);
    m_bIdle = !m_bIdle;
    news.push_back(IdleNews::Of(m_bIdle ? IdleNews::Kind::Idle : IdleNews::Kind::Active));
    if (m_bIdle) {
        SetAlarm(m_alarm, value > 0 ? value - 1 : 0, XSyncNegativeTransition, true);
    } else {
        SetAlarm(m_alarm, m_timeout.count(), XSyncPositiveComparison, true);
    }
}

bool CX11Idle::Pump(std::vector<IdleNews>& news) {
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.type == m_eventBase + XSyncAlarmNotify) {
            OnAlarm(reinterpret_cast<const XSyncAlarmNotifyEvent&>(event), news);
        }
    }
    return true;
}

}  // namespace

std::unique_ptr<IIdleSource> OpenX11Idle(X11IdleRefusal& refusal) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        refusal = X11IdleRefusal::NoDisplay;
        return nullptr;
    }
    CX11Screen::HandleXErrors();  // a lost display ends the watcher with a line and status 1
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    const XSyncCounter idleTime =
        XSyncQueryExtension(display, &eventBase, &errorBase) && XSyncInitialize(display, &major, &minor)
            ? IdleTimeCounter(display)
            : None;
    refusal = XscreensaverRuns(display) ? X11IdleRefusal::XscreensaverRuns
              : idleTime == None        ? X11IdleRefusal::NoIdleTime
                                        : X11IdleRefusal::Opened;
    if (refusal != X11IdleRefusal::Opened) {
        XCloseDisplay(display);
        return nullptr;
    }
    return std::make_unique<CX11Idle>(display, idleTime, eventBase);
}
