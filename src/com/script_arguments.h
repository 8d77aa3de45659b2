// The arguments that scripts hand to Invoke. VBScript passes variables as references to
// VARIANTs, JScript and literals pass values; both are read here, and results are written back
// into by-reference arguments only. DISPPARAMS holds the arguments last parameter first.
#pragma once

#include <windows.h>

#include <cstdint>

#include "automation_string.h"

namespace kestrum::com {

// The text of an operand: the caller's own string, read in place, or a converted copy that this
// owns. The caller's string outlives the call, and the methods of Arithm never write operands.
class OperandText {
  public:
    BSTR* address() noexcept { return &text_; }

  private:
    friend class ScriptArguments;
    void borrow(BSTR text) noexcept {
        owned_.reset();
        text_ = text;
    }
    void own(BSTR text) noexcept {
        owned_.reset(text);
        text_ = text;
    }

    api::AutoStringHolder owned_;
    BSTR text_ = nullptr;
};

class ScriptArguments {
  public:
    // `errorIndex` (may be null) receives the position in rgvarg of an argument that fails.
    ScriptArguments(DISPPARAMS& params, UINT* errorIndex) noexcept;

    // The text of parameter `index` (0 for the first): a string, Empty or Null (the empty
    // text) or any value that converts to a string; numbers convert with the invariant locale.
    // readText always makes a copy that the caller owns; readOperand reads a string in place
    // when the argument is one, by value, by typed reference or through a VARIANT reference,
    // and refuses Null as a type mismatch, as the VB runtime does for a string parameter.
    HRESULT readText(UINT index, api::AutoStringHolder& text) noexcept;
    HRESULT readOperand(UINT index, OperandText& text) noexcept;

    // The 16-bit integer of parameter `index`, converted likewise; Empty and Null read as 0.
    HRESULT readShort(UINT index, std::int16_t& value) noexcept;

    // Fails with DISP_E_TYPEMISMATCH when parameter `index` refers to a variable that cannot
    // hold a string (or a 16-bit integer); values and VARIANT references always can.
    HRESULT checkTextTarget(UINT index) noexcept;
    HRESULT checkShortTarget(UINT index) noexcept;

    // Stores a result into the caller's variable when parameter `index` is a reference.
    void writeText(UINT index, api::AutoStringHolder text) noexcept;
    void writeShort(UINT index, std::int16_t value) noexcept;

  private:
    VARIANT& argument(UINT index) const noexcept;
    HRESULT fail(UINT index, HRESULT code) const noexcept;

    DISPPARAMS& params_;
    UINT* errorIndex_;
};

}  // namespace kestrum::com
