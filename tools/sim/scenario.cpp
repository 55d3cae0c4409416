#include "scenario.hpp"

#include <limits>
#include <nlohmann/json.hpp>

namespace sim {
namespace {
using nlohmann::json;

// Upper bound of opens: enough to watch rows age, small enough to finish at once.
constexpr std::int32_t max_opens = 1000;

class Reader {
public:
    explicit Reader(const std::string& file_name) : file(file_name) {}

    [[noreturn]] void fail(const std::string& field, const std::string& expected) const {
        throw ScenarioError(file + ": " + field + ": expected " + expected);
    }

    std::int32_t integer(const json& value, const std::string& field) const {
        if (!value.is_number_integer()) {
            fail(field, "a whole number");
        }
        if (value.is_number_unsigned()) {
            if (value.get<std::uint64_t>() >
                static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
                fail(field, "a whole number from -2147483648 to 2147483647");
            }
            return static_cast<std::int32_t>(value.get<std::uint64_t>());
        }
        auto n = value.get<std::int64_t>();
        if (n < std::numeric_limits<std::int32_t>::min() ||
            n > std::numeric_limits<std::int32_t>::max()) {
            fail(field, "a whole number from -2147483648 to 2147483647");
        }
        return static_cast<std::int32_t>(n);
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
} // namespace

Scenario parse_scenario(std::string_view text, const std::string& file) {
    Reader reader(file);
    json document = json::parse(text.begin(), text.end(), nullptr, false);
    if (document.is_discarded()) {
        reader.fail("(document)", "well-formed JSON");
    }
    if (!document.is_object()) {
        reader.fail("(document)", "a JSON object");
    }
    Scenario out;
    for (const auto& [key, value] : document.items()) {
        if (key == "ini") {
            if (value.is_null()) {
                out.ini.reset();
            } else {
                out.ini = reader.text(value, key);
            }
        } else if (key == "trader") {
            out.trader = reader.panel(value, key);
        } else if (key == "player") {
            out.player = reader.panel(value, key);
        } else if (key == "offer_buy") {
            out.offer_buy = reader.panel(value, key);
        } else if (key == "offer_sell") {
            out.offer_sell = reader.panel(value, key);
        } else if (key == "opens") {
            out.opens = reader.integer(value, key);
            if (out.opens < 1 || out.opens > max_opens) {
                reader.fail(key, "a whole number from 1 to " + std::to_string(max_opens));
            }
        } else {
            reader.fail(key, "no such key; a scenario has ini, trader, player, offer_buy, "
                             "offer_sell, opens");
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
