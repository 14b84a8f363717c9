#pragma once

#include <QString>

#include <memory>
#include <optional>

class QIODevice;
class RecordSink;

enum class RecordFormat { Csv, Long, Jsonl };

namespace record {

// "csv", "long" or "jsonl".
std::optional<RecordFormat> formatFromName(const QString &name);
// A writer of the format on an open device; the device must outlive it.
std::unique_ptr<RecordSink> makeWriter(RecordFormat format, QIODevice &device);

} // namespace record
