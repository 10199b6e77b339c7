// XML variables: named numbers of the program's code that XMLDATA
// resources set by name.
//
//     CXMLVarInt   kelpiegameid("kelpiegameid");   // at namespace scope
//     CXMLVarFloat actiontime("actiontime");
//     ... after the game's XML data is loaded: actiontime.GetValue()
//
// The XMLDATA loader finds a variable with FindXMLVar(name) and assigns it
// with SetFromText(value).
#pragma once

#include <cstdint>
#include <string>

class CXMLVar {
public:
    // Registers the variable under its name. Throws CEHSException (Game)
    // when a variable of that name exists.
    explicit CXMLVar(const char* fp_pszID);
    virtual ~CXMLVar();
    CXMLVar(const CXMLVar&) = delete;
    CXMLVar& operator=(const CXMLVar&) = delete;

    // Converts the text as a stream extraction does (leading whitespace
    // skipped, reading stops at the first character that cannot continue
    // the number) and stores the value. A text that holds no number (or
    // one out of range) keeps the old value, writes a warning to the log
    // and returns false.
    virtual bool SetFromText(const char* text) = 0;

    const std::string& GetName() const { return m_name; }

protected:
    void WarnInvalid(const char* text) const;

private:
    static void CreateXMLVarsMap();
    std::string m_name;
};

class CXMLVarInt : public CXMLVar {
public:
    explicit CXMLVarInt(const char* fp_pszID) : CXMLVar(fp_pszID) {}
    bool SetFromText(const char* text) override;
    int32_t GetValue() const { return m_value; }
    operator int32_t() const { return m_value; }

private:
    int32_t m_value = 0;
};

class CXMLVarFloat : public CXMLVar {
public:
    explicit CXMLVarFloat(const char* fp_pszID) : CXMLVar(fp_pszID) {}
    bool SetFromText(const char* text) override;
    float GetValue() const { return m_value; }
    operator float() const { return m_value; }

private:
    float m_value = 0.0f;
};

// The variable registered under `name`, or null.
CXMLVar* FindXMLVar(const char* name);
// True while at least one variable is registered (the registry exists).
bool XMLVarsMapExists();
