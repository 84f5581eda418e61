#include "platform/x11/X11Idle.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/sync.h>

#include <cstring>

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
    CX11Idle(std::unique_ptr<CX11Connection> connection, XSyncCounter idleTime, int eventBase)
        : m_connection(std::move(connection)),
          m_display(m_connection->Get()),
          m_idleTime(idleTime),
          m_eventBase(eventBase) {}
    ~CX11Idle() override {
        SetAlarm(m_idleAlarm, 0, XSyncPositiveComparison, false);
        SetAlarm(m_inputAlarm, 0, XSyncNegativeTransition, false);
    }
    CX11Idle(const CX11Idle&) = delete;
    CX11Idle& operator=(const CX11Idle&) = delete;

    // IDLETIME is the time since the last input. A period from now ends at what it
    // counts now and the timeout, unless input comes first: IDLETIME falling below
    // it starts the period over from that input.
    void Arm(std::chrono::milliseconds timeout, PeriodFrom from) override {
        m_timeout = timeout;
        m_bIdle = false;
        XSyncValue now{};
        const long long start =
            from == PeriodFrom::Now && XSyncQueryCounter(m_display, m_idleTime, &now) ? ValueOf(now) : 0;
        SetAlarm(m_idleAlarm, start + timeout.count(), XSyncPositiveComparison, true);
        SetAlarm(m_inputAlarm, start, XSyncNegativeTransition, start > 0);
    }
    pollfd WaitFor() override {
        XFlush(m_display);
        return {ConnectionNumber(m_display), POLLIN, 0};
    }
    bool Pump(std::vector<IdleEvent>& events) override;

  private:
    static long long ValueOf(const XSyncValue& value) {
        return static_cast<long long>(XSyncValueHigh32(value)) << 32 | XSyncValueLow32(value);
    }
    // The alarm re-made to go off when IDLETIME passes `at` in the test's way;
    // with `on` false, only taken away.
    void SetAlarm(XSyncAlarm& alarm, long long at, XSyncTestType test, bool on);
    void OnAlarm(const XSyncAlarmNotifyEvent& event, std::vector<IdleEvent>& events);

    std::unique_ptr<CX11Connection> m_connection;
    Display* m_display;
    XSyncCounter m_idleTime;
    int m_eventBase;
    XSyncAlarm m_idleAlarm = None;   // goes off at the period's end
    XSyncAlarm m_inputAlarm = None;  // goes off at input
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
// it was then (input resets it); then idle again after a whole timeout from that input.
void CX11Idle::OnAlarm(const XSyncAlarmNotifyEvent& event, std::vector<IdleEvent>& events) {
    if (event.state == XSyncAlarmDestroyed || (event.alarm != m_idleAlarm && event.alarm != m_inputAlarm)) {
        return;
    }
    const long long value = ValueOf(event.counter_value);
    if (event.alarm == m_idleAlarm) {
        m_bIdle = true;
        events.push_back(IdleEvent::Of(IdleEvent::Kind::Idle));
        SetAlarm(m_idleAlarm, 0, XSyncPositiveComparison, false);
        SetAlarm(m_inputAlarm, value > 0 ? value - 1 : 0, XSyncNegativeTransition, true);
        return;
    }
    if (m_bIdle) {
        events.push_back(IdleEvent::Of(IdleEvent::Kind::Active));
    }
    m_bIdle = false;
    SetAlarm(m_inputAlarm, 0, XSyncNegativeTransition, false);
    SetAlarm(m_idleAlarm, m_timeout.count(), XSyncPositiveComparison, true);
}

bool CX11Idle::Pump(std::vector<IdleEvent>& events) {
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.type == m_eventBase + XSyncAlarmNotify) {
            OnAlarm(reinterpret_cast<const XSyncAlarmNotifyEvent&>(event), events);
        }
    }
    return !m_connection->Lost();
}

}  // namespace

std::unique_ptr<IIdleSource> OpenX11Idle(std::unique_ptr<CX11Connection> connection,
                                         X11IdleRefusal& refusal) {
    Display* display = connection->Get();
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    const XSyncCounter idleTime =
        XSyncQueryExtension(display, &eventBase, &errorBase) && XSyncInitialize(display, &major, &minor)
            ? IdleTimeCounter(display)
            : None;
    const bool xscreensaver = XscreensaverRuns(display);
    if (xscreensaver || idleTime == None) {
        refusal = xscreensaver ? X11IdleRefusal::XscreensaverRuns : X11IdleRefusal::NoIdleTime;
        return nullptr;
    }
    return std::make_unique<CX11Idle>(std::move(connection), idleTime, eventBase);
}
