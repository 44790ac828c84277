// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/program/Syntax.h"

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// What a TI-86 program's tree tells, read in one pass, for the report and
// the translator to share: its labels and where they are defined and jumped
// to, its menus, what kind of variable each of its names is, and where
// getKy's value is compared with a key code.
namespace kalvo::calc {

// Menu(n,"text",label,...): one choice's tokens.
struct Ti86MenuChoice {
    std::size_t slot = 0;  // the number
    std::size_t text = 0;  // the string
    std::size_t label = 0; // the label's name
};

// A Menu( in that form, its choices in order; a call that stops before the
// statement's end, or whose arguments are anything else, is none.
struct Ti86Menu {
    std::size_t menu = 0; // the Menu token
    std::vector<Ti86MenuChoice> choices;
    std::size_t close = 0; // its ")", or the statement's end
    bool closed = false;
};

enum class LabelUse : std::uint8_t { Definition, Goto, MenuChoice };

// A label where it is used: the Lbl or Goto token (the name is its data), or
// a menu choice's name token.
struct Ti86LabelPlace {
    std::size_t token = 0;
    LabelUse use = LabelUse::Definition;
};

// Kinds of variable, as bits: a name used as two kinds has both.
namespace ti86kind {
enum : unsigned {
    Real = 1,
    String = 2,
    List = 4,
    Matrix = 8,
    Vector = 16,
    Equation = 32,
    Program = 64,
};
} // namespace ti86kind

// Where a name's use tells one of its kinds.
struct Ti86KindPlace {
    std::size_t token = 0; // the name
    unsigned kind = 0;
};

// A key code compared with getKy's value: getKy==25, or K≠0 where getKy→K.
struct Ti86KeyComparison {
    std::size_t key = 0;     // getKy or the name
    std::size_t literal = 0; // the number
    long value = 0;
};

class Ti86Facts {
public:
    explicit Ti86Facts(const Ti86Syntax& syntax);

    const Ti86Syntax& syntax() const { return *syntax_; }

    // Every Lbl and Goto and every menu choice's label, in program order
    // (a menu's choices where the Menu token is).
    const std::vector<Ti86LabelPlace>& labels() const { return labels_; }
    // The label's name at a place.
    std::string_view labelName(const Ti86LabelPlace& p) const;

    // The menu whose Menu token this is, or nullptr.
    const Ti86Menu* menu(std::size_t token) const;
    const std::vector<Ti86Menu>& menus() const { return menus_; }
    // Whether the token is a menu choice's label name.
    bool isMenuLabel(std::size_t token) const;

    // Each name the program chose, with the kinds its uses tell, in the
    // order of the program. Read when first asked (not safe to ask from two
    // threads at once).
    const std::map<std::string, std::vector<Ti86KindPlace>, std::less<>>& kinds() const;
    unsigned kindsOf(std::string_view name) const;

    // Names getKy is stored to by a statement of its own (getKy→K).
    const std::set<std::string, std::less<>>& keyVariables() const { return keyVariables_; }
    // == and ≠ between getKy or such a name and a number written out.
    const std::vector<Ti86KeyComparison>& keyComparisons() const { return keyComparisons_; }

private:
    bool readMenu(std::uint32_t call);
    void readKinds(std::uint32_t statement);
    void tell(std::uint32_t node, unsigned kind);
    unsigned valueKind(std::uint32_t node) const;
    bool isKey(std::uint32_t node) const;

    const Ti86Syntax* syntax_;
    std::vector<Ti86LabelPlace> labels_;
    std::vector<Ti86Menu> menus_;  // by Menu token
    std::vector<bool> menuLabels_; // by token; empty when there is no menu
    std::map<std::string, std::vector<Ti86KindPlace>, std::less<>> kinds_;
    bool kindsRead_ = false;
    std::set<std::string, std::less<>> keyVariables_;
    std::vector<Ti86KeyComparison> keyComparisons_;
    std::vector<std::uint32_t> todo_; // nodes left to read, kept from one statement to the next
};

} // namespace kalvo::calc
