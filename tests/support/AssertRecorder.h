#pragma once

#include <string>
#include <vector>

#include "settings/AssertReport.h"

// Records the store's assertion reports for as long as it lives.
class AssertRecorder {
  public:
    struct Report {
        std::string source;
        int line;
        std::string expression;
    };

    AssertRecorder() : m_previous(SetAssertHandler(&Record)) { Reports().clear(); }
    ~AssertRecorder() { SetAssertHandler(m_previous); }
    AssertRecorder(const AssertRecorder&) = delete;
    AssertRecorder& operator=(const AssertRecorder&) = delete;

    static std::vector<Report>& Reports() {
        static std::vector<Report> reports;
        return reports;
    }
    std::vector<std::string> Expressions() const {
        std::vector<std::string> expressions;
        for (const Report& report : Reports()) {
            expressions.push_back(report.expression);
        }
        return expressions;
    }

  private:
    static void Record(const char* source, int line, const char* expression) {
        Reports().push_back({source, line, expression});
    }
    AssertHandler m_previous;
};
