#include "users.h"

// Test programs make password hashes at the library's minimum cost, so that the suite stays fast.
// Every program that links the test support gets this (the linker is asked for the symbol).
extern "C" {
extern const bool qb_tests_hash_at_minimum_cost;
const bool qb_tests_hash_at_minimum_cost =
    (qb::users::set_hash_cost(qb::users::HashCost::Minimum), true);
}
