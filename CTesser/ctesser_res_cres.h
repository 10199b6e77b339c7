// One resource descriptor: where a resource's bytes are (file, offset,
// size), what it is (identifier, type name, tag, three parameters) and,
// between DataLoad and DataUnLoad, the bytes themselves.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Loader functions, registered per resource type name.
// LoadRes: the resource's bytes in memory, valid only during the call.
using LoadRes = void (*)(const void* data, int32_t size, const char* strID, int32_t tag, int32_t data1,
                         int32_t data2, int32_t data3);
// LoadResEx: where the bytes are; the loader reads or streams them itself
// (through tsr::FileRange, platform/files/tsr_files.h).
using LoadResEx = void (*)(const char* fileName, int32_t offset, int32_t size, const char* strID, int32_t tag,
                           int32_t data1, int32_t data2, int32_t data3);

class CTSNResource {
public:
    // Checks the values in this order and throws CEHSException (General)
    // for the first fault: empty identifier, empty type name, empty file
    // name, size below 1, negative offset.
    CTSNResource(const std::string& strID, const std::string& typeID, int32_t tag, const std::string& fileName,
                 int32_t offset, int32_t size, int32_t data1, int32_t data2, int32_t data3);
    ~CTSNResource();
    CTSNResource(const CTSNResource&) = delete;
    CTSNResource& operator=(const CTSNResource&) = delete;

    // Reads the `size` bytes at `offset` of the file into a new buffer.
    // Throws (General) when already loaded, when the file cannot be
    // opened, when it ends before the offset, or when fewer than `size`
    // bytes can be read: a loader never sees a partial buffer.
    void DataLoad();
    // Releases the buffer. Throws (General) when nothing is loaded.
    void DataUnLoad();

    const void* GetData() const { return m_loaded ? m_data.get() : nullptr; }
    bool IsLoaded() const { return m_loaded; }
    const char* GetFileName() const { return m_fileName.c_str(); }
    const std::string& GetID() const { return m_strID; }
    const std::string& GetTypeID() const { return m_typeID; }
    int32_t GetTag() const { return m_tag; }
    int32_t GetOffset() const { return m_offset; }
    int32_t GetSize() const { return m_size; }
    int32_t GetData1() const { return m_data1; }
    int32_t GetData2() const { return m_data2; }
    int32_t GetData3() const { return m_data3; }

private:
    std::string m_strID;
    std::string m_typeID;
    int32_t m_tag;
    std::string m_fileName;
    int32_t m_data1;
    int32_t m_data2;
    int32_t m_data3;
    int32_t m_offset;
    int32_t m_size;
    bool m_loaded = false;
    std::unique_ptr<unsigned char[]> m_data;
};
