#pragma once

#include <QByteArray>
#include <QString>

struct SweepRecord;

namespace record {

// {"time":"…","receiver":"north-1","sweep":1,"mode":"FSK","dbm":[…]}, without a line end, keys
// in that order; receiverField is what receiverField() made, the receiver left out when empty.
QByteArray sweepJson(const SweepRecord &sweep, const QByteArray &receiverField = {});

// The text as a JSON string, quotes and escapes included.
QByteArray jsonString(const QString &text);

// ,"receiver":"NAME" as a JSON member to follow another, made once for every record; empty
// when the name is.
QByteArray receiverField(const QString &name);

} // namespace record
