#pragma once

#include "core/channelplan.h"

#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

// A set of channels, bit i standing for channel index i (channel number 7 + i).
using ChannelMask = quint64;

namespace plan {
inline constexpr ChannelMask kAllChannels = (ChannelMask(1) << channelplan::kChannelCount) - 1;

constexpr ChannelMask bit(int index)
{
    return ChannelMask(1) << index;
}
} // namespace plan

// Which intermodulation products a plan keeps off its own and the fixed channels.
enum class PlanProducts { None, Third, Fifth };

// No plan channel within `distance` channels of one whose level reached `dbm` during the survey
// (the strong channel itself included).
struct StrongCarrierRule
{
    qint16 dbm = 0;
    int distance = 0;
};

// What a plan must meet besides its size.
struct PlanConstraints
{
    static constexpr int kLargestGuard = 5;
    static constexpr int kLargestSpacing = channelplan::kChannelCount - 1;

    int size = 1;
    ChannelMask allowed = plan::kAllChannels;
    ChannelMask avoided = 0;
    // The user's channels already in use: they count for spacing and products, never proposed.
    ChannelMask fixed = 0;
    // Minimum distance in channels between any two plan or fixed channels.
    int spacing = 1;
    PlanProducts products = PlanProducts::Third;
    // A product within this many channels of a plan or fixed channel hits it.
    int guard = 0;
    std::vector<StrongCarrierRule> strong;
    // Channels each of which could replace any one plan channel.
    int spares = 0;
};

namespace plan {

// "7-12,30": channel numbers and ranges, comma separated; nothing and *error set when the text
// is not one, or names a channel outside 7-46.
std::optional<ChannelMask> parseChannelList(const QString &text, QString *error);
// The shortest such text of a set: "7-12,30"; empty for none.
QString channelListText(ChannelMask channels);
// "none", "3", "5" as the command line takes them.
std::optional<PlanProducts> productsFromName(const QString &name);
// "no products", "third-order products", "third- and fifth-order products".
QString productsText(PlanProducts products);
// "-40:2" as the command line takes it: a level in dBm and a distance in channels.
std::optional<StrongCarrierRule> parseStrongRule(const QString &text);

} // namespace plan
