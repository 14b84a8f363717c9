#pragma once

#include "engine/record/recordencoder.h"

#include <QString>

// One JSON object per complete sweep and line, naming the receiver when it has a name; no
// header.
class JsonlEncoder : public RecordEncoder
{
public:
    explicit JsonlEncoder(const QString &receiver = {});

    QByteArray sweep(const SweepRecord &sweep) override;
    QByteArray reading(const Reading &reading) override;

private:
    QByteArray m_receiverField;
};
