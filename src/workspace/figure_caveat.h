#pragma once
// The line shown with every figure that sets a rule, a condition or a span against chance: what
// such a figure does not prove.

namespace app {

inline constexpr const char* kFigureCaveat =
    "试过的设置越多，越容易偶然碰到好看的结果（试20种设置，随机开奖也约有1种p值小于0.05）；"
    "开奖是随机的，过去胜过随机只是运气，这样找到的设置请在以后的新开奖上再检验。";

} // namespace app
