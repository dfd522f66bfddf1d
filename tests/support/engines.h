#pragma once

#include <gtest/gtest.h>

#include "testserver.h"

// Skips the current test without a test server, saying why; under CI, which always has one, fails.
#define QB_REQUIRE_TEST_SERVER()                                              \
    do {                                                                      \
        if (const QString why = testserver::absence(); !why.isEmpty()) {      \
            if (qEnvironmentVariableIsSet("CI")) FAIL() << why.toStdString(); \
            GTEST_SKIP() << why.toStdString();                                \
        }                                                                     \
    } while (false)

// A suite that runs each of its tests on both engines: TEST_P(BothEngines, ...) with
// INSTANTIATE_TEST_SUITE_P(Engines, BothEngines, ::testing::Values(Engine::File, Engine::Server),
// engineName).
class BothEngines : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        if (GetParam() == Engine::Server) QB_REQUIRE_TEST_SERVER();
        ledger_ = std::make_unique<EngineLedger>(GetParam());
    }
    Tdat& dat() { return ledger_->dat; }

private:
    std::unique_ptr<EngineLedger> ledger_;
};

inline void PrintTo(Engine engine, std::ostream* out) {
    *out << (engine == Engine::File ? "the file" : "the server");
}

inline std::string engineName(const ::testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::File ? "File" : "Server";
}
