#include "scenario.hpp"

#include <simhost/layout.hpp>

#include <algorithm>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>

#include "encoding.hpp"

namespace sim {
namespace {
using nlohmann::json;

class Reader {
public:
    explicit Reader(const std::string& file_name) : file(file_name) {}

    [[noreturn]] void fail(const std::string& field, const std::string& expected) const {
        throw ScenarioError(file + ": " + field + ": expected " + expected);
    }

    // Every message states the field's range, whatever was wrong with the value.
    std::int32_t integer(const json& value, const std::string& field,
                         std::int64_t least = std::numeric_limits<std::int32_t>::min(),
                         std::int64_t most = std::numeric_limits<std::int32_t>::max()) const {
        bool fits = false;
        if (value.is_number_unsigned()) {
            const auto n = value.get<std::uint64_t>();
            fits = n <= static_cast<std::uint64_t>(most) && static_cast<std::int64_t>(n) >= least;
        } else if (value.is_number_integer()) {
            const auto n = value.get<std::int64_t>();
            fits = n >= least && n <= most;
        }
        if (!fits) {
            fail(field,
                 "a whole number from " + std::to_string(least) + " to " + std::to_string(most));
        }
        return static_cast<std::int32_t>(value.get<std::int64_t>());
    }

    bool flag(const json& value, const std::string& field) const {
        if (!value.is_boolean()) {
            fail(field, "true or false");
        }
        return value.get<bool>();
    }

    std::string text(const json& value, const std::string& field) const {
        if (!value.is_string()) {
            fail(field, "a string");
        }
        return value.get<std::string>();
    }

    ScenarioItem item(const json& value, const std::string& field) const {
        if (!value.is_object()) {
            fail(field, "an object with \"item\", \"base\" and \"price\"");
        }
        for (const char* required : {"item", "base", "price"}) {
            if (!value.contains(required)) {
                fail(field + "." + required, "a value (the field is required)");
            }
        }
        ScenarioItem out;
        for (const auto& [key, v] : value.items()) {
            std::string at = field + "." + key;
            if (key == "item") {
                out.item = text(v, at);
            } else if (key == "base") {
                if (!v.is_null()) {
                    out.base = integer(v, at);
                } else {
                    out.base.reset();
                }
            } else if (key == "price") {
                out.price = integer(v, at);
            } else if (key == "text") {
                out.text = text(v, at);
            } else if (key == "amount") {
                out.amount = integer(v, at);
            } else if (key == "previous") {
                out.previous = integer(v, at);
            } else if (key == "pos") {
                out.pos = integer(v, at);
            } else if (key == "trader_index") {
                out.trader_index = integer(v, at);
            } else if (key == "skip") {
                out.skip = flag(v, at);
            } else if (key == "show") {
                out.show = flag(v, at);
            } else if (key == "slot_data") {
                out.slot_data = flag(v, at);
            } else {
                fail(at, "no such key; an item has item, base, price, text, amount, previous, "
                         "pos, trader_index, skip, show, slot_data");
            }
        }
        return out;
    }

    std::vector<ScenarioItem> panel(const json& value, const std::string& field) const {
        if (!value.is_array()) {
            fail(field, "an array of items");
        }
        std::vector<ScenarioItem> out;
        for (std::size_t i = 0; i < value.size(); ++i) {
            out.push_back(item(value[i], field + "[" + std::to_string(i) + "]"));
        }
        return out;
    }

    const std::string& file;
};

// The panel a top-level key names, or none.
std::vector<ScenarioItem>* panel_of(Scenario& scenario, const std::string& key) {
    if (key == "trader") {
        return &scenario.trader;
    }
    if (key == "player") {
        return &scenario.player;
    }
    if (key == "offer_buy") {
        return &scenario.offer_buy;
    }
    return key == "offer_sell" ? &scenario.offer_sell : nullptr;
}

// "line L, column C" of the byte the parser stopped at, counted from 1; a line feed is at the
// column after the line's last character.
std::string position(std::string_view text, std::size_t byte) {
    const std::size_t at = std::min(byte > 0 ? byte - 1 : 0, text.size());
    const std::string_view before = text.substr(0, at);
    const auto line_start = before.rfind('\n');
    const auto line = std::count(before.begin(), before.end(), '\n') + 1;
    const auto column = at - (line_start == std::string_view::npos ? 0 : line_start + 1) + 1;
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// Where the parser is: each open object or array by its field name, with the keys an object has
// had so far, so that a key given twice is named.
class Fields {
public:
    // The name of the value that starts now: "trader", "trader[2]", "trader[2].price".
    std::string next() {
        if (open.empty()) {
            return "";
        }
        Frame& frame = open.back();
        if (frame.array) {
            return frame.path + "[" + std::to_string(frame.items++) + "]";
        }
        return frame.path.empty() ? frame.key : frame.path + "." + frame.key;
    }
    void enter(bool array) { open.push_back({next(), array, 0, {}, {}}); }
    void leave() { open.pop_back(); }
    // False when the object has had this key already.
    bool key(const std::string& key) {
        open.back().key = key;
        return open.back().keys.insert(key).second;
    }

private:
    struct Frame {
        std::string path;
        bool array;
        std::size_t items = 0;
        std::string key;
        std::set<std::string> keys;
    };
    std::vector<Frame> open;
};

// Counts while the parser reads, so that a file of a million values is refused before it is
// built in memory, and a panel past its limit is named as such; a key given twice is an error, as
// the parser itself would keep the last value without a word.
json read_document(std::string_view text, const Reader& reader, const ScenarioLimits& limits) {
    std::size_t values = 0;
    std::size_t items = 0;
    std::string panel;
    Fields fields;
    auto guard = [&](int depth, json::parse_event_t event, json& parsed) {
        using Event = json::parse_event_t;
        if (event == Event::key) {
            const std::string key = parsed.get<std::string>();
            if (!fields.key(key)) {
                reader.fail(fields.next(), "each key once; this one is given twice");
            }
            if (depth == 1) {
                Scenario probe;
                panel = panel_of(probe, key) ? key : "";
                items = 0;
            }
            return true;
        }
        if (event == Event::object_end || event == Event::array_end) {
            fields.leave();
            return true;
        }
        if (event == Event::object_start || event == Event::array_start) {
            fields.enter(event == Event::array_start);
        } else {
            fields.next();
        }
        if (++values > limits.values) {
            reader.fail("(document)",
                        "at most " + std::to_string(limits.values) + " JSON values in all");
        }
        if (depth == 2 && !panel.empty() && ++items > limits.items) {
            reader.fail(panel, "at most " + std::to_string(limits.items) + " items");
        }
        return true;
    };
    try {
        return json::parse(text.begin(), text.end(), guard);
    } catch (const json::parse_error& e) {
        // "[json.exception.parse_error.101] parse error at line 3, column 0: syntax error ...":
        // the position is the parser's, past the line feed it stopped at; ours is on the line.
        const std::string what = e.what();
        const auto colon = what.find(": ", what.find("parse error"));
        reader.fail(position(text, e.byte),
                    "well-formed JSON (" +
                        (colon == std::string::npos ? what : what.substr(colon + 2)) + ")");
    } catch (const json::out_of_range& e) {
        // "number overflow parsing '1e999'" carries no position: the first such number is it.
        const std::string what = e.what();
        const auto quote = what.find('\'');
        const auto at = quote == std::string::npos
                            ? std::string::npos
                            : text.find(what.substr(quote + 1, what.rfind('\'') - quote - 1));
        reader.fail(at == std::string::npos ? "(document)" : position(text, at + 1),
                    "a number small enough to read (" + what.substr(what.find(']') + 2) + ")");
    } catch (const json::exception& e) {
        reader.fail("(document)", std::string("well-formed JSON (") + e.what() + ")");
    }
}
} // namespace

namespace {
std::vector<std::string> game_update(const Reader& reader, const json& value,
                                     const std::string& key) {
    std::string names;
    for (const auto& edit : simhost::game::layout_edits()) {
        names += (names.empty() ? "" : ", ") + std::string(edit.name);
    }
    if (!value.is_array()) {
        reader.fail(key, "a list of the game's layout changes: " + names);
    }
    std::vector<std::string> out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const std::string field = key + "[" + std::to_string(i) + "]";
        const std::string name = reader.text(value[i], field);
        if (!simhost::game::find_layout_edit(name)) {
            reader.fail(field, "one of " + names);
        }
        out.push_back(name);
    }
    return out;
}
} // namespace

Scenario parse_scenario(std::string_view text, const std::string& file,
                        const ScenarioLimits& limits) {
    Reader reader(file);
    if (text.size() > limits.bytes) {
        reader.fail("(document)", "at most " + std::to_string(limits.bytes) + " bytes");
    }
    if (looks_like_utf16(text)) {
        reader.fail("(document)", "UTF-8 text, not " + std::string(utf16_name) + ". " +
                                      std::string(save_as_utf8));
    }
    json document = read_document(text, reader, limits);
    if (!document.is_object()) {
        reader.fail("(document)", "a JSON object");
    }
    Scenario out;
    for (const auto& [key, value] : document.items()) {
        if (key == "ini") {
            out.ini = value.is_null() ? std::nullopt
                                      : std::optional<std::string>(reader.text(value, key));
        } else if (auto* panel = panel_of(out, key)) {
            *panel = reader.panel(value, key);
        } else if (key == "opens") {
            out.opens = reader.integer(value, key, 1, limits.opens);
        } else if (key == "game_update") {
            out.game_update = game_update(reader, value, key);
        } else {
            reader.fail(key, "no such key; a scenario has ini, trader, player, offer_buy, "
                             "offer_sell, opens, game_update");
        }
    }
    return out;
}

Scenario builtin_scenario() {
    auto item = [](std::string name, std::optional<std::int32_t> base, std::int32_t price) {
        ScenarioItem i;
        i.item = std::move(name);
        i.base = base;
        i.price = price;
        return i;
    };
    Scenario s;
    // At 75 per cent: Iron Sword 99, Healing Potion 30, Lockpick 15, Old Map 0.
    s.trader = {item("Iron Sword", 133, 120), item("Healing Potion", 40, 30),
                item("Lockpick", 20, 11), item("Old Map", 0, 5)};
    // Wolf Pelt 60, Silver Ring 150, Bent Nail 3, Gold Chalice 225.
    s.player = {item("Wolf Pelt", 80, 60), item("Silver Ring", 200, 90), item("Bent Nail", 4, 0),
                item("Gold Chalice", 300, 260)};
    s.offer_buy = {item("Torch", 12, 10)};
    s.offer_sell = {item("Wolf Pelt", 80, 60)};
    return s;
}
} // namespace sim
