#pragma once

#include <QByteArray>

struct SweepRecord;

namespace record {

// {"time":"…","sweep":1,"mode":"FSK","dbm":[…]}, without a line end, keys in that order.
QByteArray sweepJson(const SweepRecord &sweep);

} // namespace record
