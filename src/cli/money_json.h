#pragma once
// The money figures of a bet as the commands that back-test tickets (bet, shrink) write them in
// JSON.

#include "play/money.h"
#include "workspace/json_text.h"

namespace app {

// Adds the members "tickets" to "random" of m to the object json. withHitChance adds
// "expected_hits" and "p_value" after "hits".
void addMoneyJson(const play::MoneyResult& m, bool withHitChance, Json& json);

} // namespace app
