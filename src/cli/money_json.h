#pragma once
// The money figures of a bet as the commands that back-test tickets (bet, shrink) write them in
// JSON.

#include "play/money.h"

#include <iosfwd>

namespace app {

// The members "tickets" to "random" of m, without braces. withHitChance adds "expected_hits" and
// "p_value" after "hits".
void printMoneyJson(const play::MoneyResult& m, bool withHitChance, std::ostream& out);

} // namespace app
