// Smart identifiers: named handles that follow the slot of the loaded
// texture, technique, font or sound with the same string identifier.
//
// Code declares a handle once, normally at namespace scope:
//     CSmartID TEX_CELL1("TEX_CELL1", 0);   // type taken from "TEX"
// and draws or plays through it; the handle holds the slot index (-1
// while the resource is not loaded).
//
// For the managers of textures, techniques, fonts and sounds:
//  - right after storing a resource in slot `i`:
//        CSmartID::BindByString(strID, i);
//  - when removing a resource by its identifier:
//        CSmartID::BindByString(strID, -1);
//  - when freeing slot `i` by index (textures, sounds):
//        CSmartID::UnbindByIndex(i, SMARTID_TEXTURE);   // or SMARTID_SOUND
// Both do nothing when no handle matches.
#pragma once

#include <cstdint>
#include <string>

// Resource types of smart identifiers.
enum TSNSmartIDType : int32_t {
    SMARTID_DETECT = 0, // constructor only: take the type from the prefix
    SMARTID_TEXTURE = 1,
    SMARTID_TECHNIQUE = 2,
    SMARTID_FONT = 3,
    SMARTID_SOUND = 4,
};

class CSmartID {
public:
    // Registers the handle under its string. Throws CEHSException (Game)
    // when a handle with the same string exists, and from DetectResType
    // when the type is 0 and the prefix is not TEX, TEQ, FNT or SND.
    CSmartID(const char* fp_pszID, int fp_iResType);
    ~CSmartID();
    CSmartID(const CSmartID&) = delete;
    CSmartID& operator=(const CSmartID&) = delete;

    const std::string& GetStrID() const { return strID; }
    int32_t GetIndex() const { return m_index; }
    int32_t GetResType() const { return m_resType; }
    bool IsBound() const { return m_index >= 0; }

    // Sets the index of the handle whose string equals strID. No type is
    // compared. Nothing happens when no handle has that string.
    static void BindByString(const std::string& strID, int32_t index);
    // Sets the first handle (in string order) with this index and type
    // back to -1.
    static void UnbindByIndex(int32_t index, int32_t resType);
    // The handle registered under a string, or null.
    static CSmartID* Find(const std::string& strID);

private:
    void DetectResType();
    static void CreateIDsMap();

    std::string strID;
    int32_t m_index = -1;
    int32_t m_resType = 0;
};
