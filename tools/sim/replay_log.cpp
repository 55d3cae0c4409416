// Reads UE4SS.log: each line behind its time stamp, the mod's three kinds of row line taken apart
// field by field, every other line passed over.
#include <algorithm>
#include <charconv>
#include <span>

#include "encoding.hpp"
#include "host/text.hpp"
#include "replay_rows.hpp"

namespace sim {
namespace replay {
namespace {
constexpr std::string_view session_head = "[Tallyglass] Loaded v";
constexpr std::string_view cap_head = "cap reached";
// The item of a value row whose slot had no base config: the log does not name it.
constexpr std::string_view unknown_item = "(unknown)";
// Enough of an unreadable line to find it in the log.
constexpr std::size_t shown_line_bytes = 300;

constexpr std::string_view value_keys[] = {"side",         "slot_index",  "pos",    "current",
                                           "previous",     "base",        "amount", "show",
                                           "trader_index", "append_text", "item"};
constexpr std::string_view list_keys[] = {"side", "list_index", "pos",  "current",      "previous",
                                          "base", "amount",     "show", "trader_index", "item"};
constexpr std::string_view applied_keys[] = {"side",
                                             "observed",
                                             "cached_current",
                                             "base",
                                             "display_base",
                                             "percent",
                                             "heatmap_mode",
                                             "heatmap_distance",
                                             "heatmap_applied",
                                             "pos",
                                             "amount",
                                             "trader_index",
                                             "source",
                                             "match",
                                             "applied",
                                             "item"};

struct RowShape {
    RowKind kind;
    std::string_view head;
    std::span<const std::string_view> keys;
};
constexpr RowShape row_shapes[] = {
    {RowKind::Value, "[Tallyglass] ValueDisplay row ", value_keys},
    {RowKind::List, "[Tallyglass] LeftList row ", list_keys},
    {RowKind::Applied, "[Tallyglass] TextBlockAppend row ", applied_keys},
};

struct Unreadable {};

// "side=..; pos=..; ..; item=...." with exactly `keys`, in order. A value runs to the next key,
// the last one to the closing full stop, so that an item's name may hold anything.
class Fields {
public:
    Fields(std::span<const std::string_view> keys, std::string_view text) : names(keys) {
        if (!text.ends_with('.')) {
            throw Unreadable{}; // cut off
        }
        text.remove_suffix(1);
        std::size_t at = 0;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const std::string_view rest = text.substr(at);
            if (rest.size() <= keys[i].size() || !rest.starts_with(keys[i]) ||
                rest[keys[i].size()] != '=') {
                throw Unreadable{};
            }
            at += keys[i].size() + 1;
            std::size_t end = text.size();
            if (i + 1 < keys.size()) {
                end = text.find("; " + std::string(keys[i + 1]) + "=", at);
                if (end == std::string_view::npos) {
                    throw Unreadable{};
                }
            }
            values.push_back(text.substr(at, end - at));
            at = end + 2;
        }
    }

    std::string_view operator[](std::string_view key) const {
        return values[static_cast<std::size_t>(std::find(names.begin(), names.end(), key) -
                                               names.begin())];
    }

    std::int32_t number(std::string_view key) const {
        const std::string_view text = (*this)[key];
        std::int32_t value = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size()) {
            throw Unreadable{};
        }
        return value;
    }

    // The first of the two words is true, the second false.
    bool either(std::string_view key, std::string_view yes, std::string_view no) const {
        const std::string_view text = (*this)[key];
        if (text != yes && text != no) {
            throw Unreadable{};
        }
        return text == yes;
    }

private:
    std::span<const std::string_view> names;
    std::vector<std::string_view> values;
};

// "ItemBaseConfig /Game/Items/Iron Sword.Iron Sword": the last element of the path. The game
// keeps each item in a package named after it, which finds a name holding dots whole.
std::string item_name(std::string_view config) {
    const auto space = config.find(' ');
    const std::string_view path =
        space == std::string_view::npos ? config : config.substr(space + 1);
    for (auto dot = path.find('.'); dot != std::string_view::npos; dot = path.find('.', dot + 1)) {
        const std::string_view name = path.substr(dot + 1);
        const std::string_view package = path.substr(0, dot);
        if (package.size() > name.size() && package.ends_with(name) &&
            package[package.size() - name.size() - 1] == '/') {
            return std::string(name);
        }
    }
    const auto last = path.find_last_of(".:");
    return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

void read_config(const Fields& f, LogRow& row) {
    const std::string_view config = f["item"];
    if (config == "<null>") {
        row.item.item = unknown_item;
        row.item.base.reset();
        return;
    }
    row.config = config;
    row.item.item = item_name(config);
    row.item.base = f.number("base");
}

void read_slot(const Fields& f, LogRow& row) {
    row.item.pos = f.number("pos");
    row.item.price = f.number("current");
    row.item.previous = f.number("previous");
    row.item.amount = f.number("amount");
    row.item.show = f.either("show", "true", "false");
    row.item.trader_index = f.number("trader_index");
    read_config(f, row);
}

// Value rows show the balance sections, list rows the lists; an applied row names its source.
LogRow parse_row(const RowShape& shape, std::string_view text) {
    const Fields f(shape.keys, text);
    LogRow row;
    row.kind = shape.kind;
    const bool buy = f.either("side", "trade-buy", "trade-sell");
    if (shape.kind == RowKind::Applied) {
        const bool offer = f.either("source", "offer", "left-list");
        row.panel = offer ? (buy ? offer_buy : offer_sell) : (buy ? trader : player);
        row.item.price = f.number("cached_current");
        row.item.pos = f.number("pos");
        row.item.amount = f.number("amount");
        row.item.trader_index = f.number("trader_index");
        row.item.text = std::string(f["observed"]);
        read_config(f, row);
        return row;
    }
    const bool value = shape.kind == RowKind::Value;
    row.panel = value ? (buy ? offer_buy : offer_sell) : (buy ? trader : player);
    row.index = f.number(value ? "slot_index" : "list_index");
    read_slot(f, row);
    return row;
}

bool valid_utf8(std::string_view text) {
    return tallyglass::to_utf8(tallyglass::from_utf8(text)) == text;
}

// "[2024-02-18 11:48:47] " or "[2025-06-11 02:29:09.3559751] " before the text, when there is one.
std::pair<std::string_view, std::string_view> split_stamp(std::string_view line) {
    const auto close = line.find("] ");
    if (!line.starts_with('[') || close == std::string_view::npos || close < 2) {
        return {{}, line};
    }
    const std::string_view stamp = line.substr(1, close - 1);
    const bool stamp_like = stamp.find_first_not_of("0123456789-:. T") == std::string_view::npos &&
                            stamp.find_first_of("0123456789") != std::string_view::npos;
    return stamp_like ? std::pair{stamp, line.substr(close + 2)}
                      : std::pair{std::string_view{}, line};
}

void skip_line(LogReading& reading, std::string_view text) {
    if (reading.skipped++ == 0) {
        reading.first_skipped_line = reading.lines;
        reading.first_skipped = text.substr(0, shown_line_bytes);
    }
}

void take_line(std::string_view line, LogReading& reading, TradeBuilder& builder) {
    const auto [stamp, text] = split_stamp(line);
    if (text.starts_with(session_head)) {
        return builder.session_start();
    }
    for (const RowShape& shape : row_shapes) {
        if (!text.starts_with(shape.head)) {
            continue;
        }
        const std::string_view rest = text.substr(shape.head.size());
        if (rest.starts_with(cap_head)) {
            return builder.cap_line(shape.kind);
        }
        ++reading.row_lines;
        try {
            if (!valid_utf8(text)) {
                throw Unreadable{};
            }
            LogRow row = parse_row(shape, rest);
            row.stamp = stamp;
            row.line = reading.lines;
            builder.row(std::move(row));
        } catch (const Unreadable&) {
            builder.unreadable(shape.kind);
            skip_line(reading, text);
        }
        return;
    }
}

std::string no_trade_message(const LogReading& reading, const std::string& file) {
    std::string message = file + ": no trade to replay: ";
    if (reading.row_lines == 0) {
        message += "the log holds no row lines of Tallyglass.";
    } else {
        message += std::to_string(reading.row_lines) +
                   " row lines of Tallyglass, none readable; the first, line " +
                   std::to_string(reading.first_skipped_line) + ": " + reading.first_skipped;
    }
    return message + " Set ProbeValues=true (and DebugLogging=true for the texts the game showed) "
                     "in Tallyglass.ini, start the game, open a trade, close the game, and read "
                     "its UE4SS.log again.";
}
} // namespace
} // namespace replay

LogReading read_log(std::string_view log, const std::string& file) {
    if (looks_like_utf16(log)) {
        throw ReplayError(file + ": the file is saved as " + std::string(utf16_name) +
                          ", not as UE4SS writes it. " + std::string(save_as_utf8) +
                          " Or copy UE4SS.log afresh from the game's folder.");
    }
    LogReading reading;
    replay::TradeBuilder builder;
    if (log.starts_with("\xEF\xBB\xBF")) {
        log.remove_prefix(3);
    }
    std::size_t start = 0;
    while (start < log.size()) {
        const auto end = log.find('\n', start);
        std::string_view line =
            log.substr(start, end == std::string_view::npos ? end : end - start);
        start = end == std::string_view::npos ? log.size() : end + 1;
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        ++reading.lines;
        replay::take_line(line, reading, builder);
    }
    reading.trades = builder.finish();
    if (reading.trades.empty()) {
        throw ReplayError(replay::no_trade_message(reading, file));
    }
    return reading;
}

const ReplayTrade& select_trade(const LogReading& reading, std::optional<std::int32_t> number) {
    const auto count = reading.trades.size();
    if (count == 0) {
        throw ReplayError("the log holds no trade");
    }
    if (!number) {
        return reading.trades.back();
    }
    if (*number < 1 || static_cast<std::size_t>(*number) > count) {
        throw ReplayError("trade " + std::to_string(*number) + ": the log holds " +
                          (count == 1 ? "only trade 1" : "trades 1 to " + std::to_string(count)) +
                          "; --list-trades lists them");
    }
    return reading.trades[static_cast<std::size_t>(*number - 1)];
}
} // namespace sim
