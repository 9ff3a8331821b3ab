#include "json/json_value.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <utility>

namespace sw::json {

namespace {

constexpr int kRecursiveDepth = 200;

size_t HashName(std::string_view name) {
    return std::hash<std::string_view>{}(name);
}

bool HasChildren(const JsonValue& value) {
    return !value.elements.empty() || !value.members.empty();
}

} // namespace

// Open addressing over member positions. Positions stay valid when the member
// vector grows, and members are only ever appended, so the table just catches
// up with the members added since the last lookup.
class MemberIndex {
public:
    std::uint32_t Find(const std::vector<JsonMember>& members, std::string_view name) {
        CatchUp(members);
        size_t mask = slots_.size() - 1;
        for (size_t s = HashName(name) & mask;; s = (s + 1) & mask) {
            std::uint32_t entry = slots_[s];
            if (entry == 0 || members[entry - 1].name == name)
                return entry;
        }
    }

private:
    void CatchUp(const std::vector<JsonMember>& members) {
        if (slots_.size() < members.size() * 2 + 2) {
            size_t capacity = 64;
            while (capacity < members.size() * 4)
                capacity *= 2;
            slots_.assign(capacity, 0);
            indexed_ = 0;
        }
        size_t mask = slots_.size() - 1;
        for (; indexed_ < members.size(); ++indexed_) {
            size_t s = HashName(members[indexed_].name) & mask;
            while (slots_[s] != 0)
                s = (s + 1) & mask;
            slots_[s] = static_cast<std::uint32_t>(indexed_ + 1);
        }
    }

    std::vector<std::uint32_t> slots_; // position + 1; 0 is free
    size_t indexed_ = 0;
};

JsonValue::JsonValue() = default;

JsonValue::JsonValue(JsonKind valueKind) : kind(valueKind) {}

JsonValue::JsonValue(JsonValue&& other) noexcept = default;

JsonValue& JsonValue::operator=(JsonValue&& other) noexcept = default;

JsonValue::~JsonValue() {
    if (!HasChildren(*this))
        return;
    // Shallow trees, by far the common case, are freed by plain recursion; past
    // this depth the rest of the subtree goes through the work list below.
    thread_local int depth = 0;
    if (depth < kRecursiveDepth) {
        ++depth;
        elements.clear();
        members.clear();
        --depth;
        return;
    }
    // Hand every child that has children of its own to a work list, so that no
    // destructor below this one finds more than leaves to free.
    std::vector<JsonValue> pending;
    auto detachChildren = [&pending](JsonValue& value) {
        for (JsonValue& element : value.elements) {
            if (HasChildren(element))
                pending.push_back(std::move(element));
        }
        for (JsonMember& member : value.members) {
            if (HasChildren(member.value))
                pending.push_back(std::move(member.value));
        }
        value.elements.clear();
        value.members.clear();
    };
    detachChildren(*this);
    while (!pending.empty()) {
        JsonValue value = std::move(pending.back());
        pending.pop_back();
        detachChildren(value);
    }
}

JsonValue JsonValue::FromNumber(double value) {
    JsonValue v(JsonKind::Number);
    v.number = value;
    return v;
}

JsonValue JsonValue::FromText(std::string utf8) {
    JsonValue v(JsonKind::String);
    v.text = std::move(utf8);
    return v;
}

JsonValue* JsonValue::FindMember(std::string_view name) {
    return const_cast<JsonValue*>(std::as_const(*this).FindMember(name));
}

size_t JsonValue::FindMemberPosition(std::string_view name) const {
    if (members.size() <= kScannedObjectSize) {
        for (size_t i = 0; i < members.size(); ++i) {
            if (members[i].name == name)
                return i;
        }
        return kNoMember;
    }
    if (!index_)
        index_ = std::make_unique<MemberIndex>();
    std::uint32_t entry = index_->Find(members, name);
    return entry == 0 ? kNoMember : entry - 1;
}

const JsonValue* JsonValue::FindMember(std::string_view name) const {
    size_t position = FindMemberPosition(name);
    return position == kNoMember ? nullptr : &members[position].value;
}

JsonValue& JsonValue::AddMember(std::string_view name) {
    if (JsonValue* existing = FindMember(name))
        return *existing;
    return AppendNewMember(name);
}

JsonValue& JsonValue::AppendNewMember(std::string_view name) {
    JsonMember& member = members.emplace_back();
    member.name.assign(name);
    return member.value;
}

namespace {

// The value without its children, as JSON text would carry it.
JsonValue CloneShallow(const JsonValue& value) {
    switch (value.kind) {
    case JsonKind::Boolean: {
        JsonValue v(JsonKind::Boolean);
        v.truth = value.truth;
        return v;
    }
    case JsonKind::Number:
        if (!std::isfinite(value.number))
            return JsonValue(JsonKind::Null);
        return JsonValue::FromNumber(value.number == 0 ? 0.0 : value.number);
    case JsonKind::String:
        return JsonValue::FromText(value.text);
    case JsonKind::Array:
    case JsonKind::Object:
        return JsonValue(value.kind);
    case JsonKind::Undefined:
    case JsonKind::Null:
        break;
    }
    return JsonValue(JsonKind::Null);
}

} // namespace

JsonValue CloneAsJson(const JsonValue& value) {
    JsonValue root = CloneShallow(value);
    std::vector<std::pair<const JsonValue*, JsonValue*>> pending;
    if (HasChildren(value))
        pending.emplace_back(&value, &root);
    while (!pending.empty()) {
        auto [from, to] = pending.back();
        pending.pop_back();
        // Each child vector is filled completely before pointers into it are
        // kept, so none of them moves afterwards.
        if (from->kind == JsonKind::Array) {
            to->elements.reserve(from->elements.size());
            for (const JsonValue& element : from->elements)
                to->elements.push_back(CloneShallow(element));
            for (size_t i = 0; i < from->elements.size(); ++i) {
                if (HasChildren(from->elements[i]))
                    pending.emplace_back(&from->elements[i], &to->elements[i]);
            }
        } else {
            to->members.reserve(from->members.size());
            for (const JsonMember& member : from->members) {
                if (member.value.kind != JsonKind::Undefined)
                    to->AppendNewMember(member.name) = CloneShallow(member.value);
            }
            size_t k = 0;
            for (const JsonMember& member : from->members) {
                if (member.value.kind == JsonKind::Undefined)
                    continue;
                if (HasChildren(member.value))
                    pending.emplace_back(&member.value, &to->members[k].value);
                ++k;
            }
        }
    }
    return root;
}

} // namespace sw::json
