// Linked into the test programs that run once on each engine: in the server's run, every test is
// skipped, saying why, when there is no test server (under CI, which always has one, they fail).
#include "engines.h"

namespace {

class ServerRun : public ::testing::Environment {
public:
    void SetUp() override {
        if (testEngine() == Engine::Server) QB_REQUIRE_TEST_SERVER();
    }
};

[[maybe_unused]] const ::testing::Environment* const kServerRun =
    ::testing::AddGlobalTestEnvironment(new ServerRun);

}  // namespace
