#pragma once

#include <gtest/gtest.h>

#include "templedger.h"

// Skips the current test without a test server, saying why; under CI, which always has one, fails.
#define QB_REQUIRE_TEST_SERVER()                                              \
    do {                                                                      \
        if (const QString why = testserver::absence(); !why.isEmpty()) {      \
            if (qEnvironmentVariableIsSet("CI")) FAIL() << why.toStdString(); \
            GTEST_SKIP() << why.toStdString();                                \
        }                                                                     \
    } while (false)

// Skips a test of what only the file has (its lock, its keys, its bytes) in the server's run.
#define QB_FILE_ONLY()                                                              \
    do {                                                                            \
        if (testEngine() == Engine::Server) GTEST_SKIP() << "the ledger file only"; \
    } while (false)

// A suite that runs each of its tests on both engines: TEST_P(BothEngines, ...) with
// INSTANTIATE_TEST_SUITE_P(Engines, BothEngines, ::testing::Values(Engine::File, Engine::Server),
// engineName).
class BothEngines : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        if (GetParam() == Engine::Server) QB_REQUIRE_TEST_SERVER();
        ledger_ = std::make_unique<TempLedger>(GetParam());
    }
    Tdat& dat() { return ledger_->dat; }

private:
    std::unique_ptr<TempLedger> ledger_;
};

inline void PrintTo(Engine engine, std::ostream* out) {
    *out << (engine == Engine::File ? "the file" : "the server");
}

inline std::string engineName(const ::testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::File ? "File" : "Server";
}
