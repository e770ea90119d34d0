// wm::ComPtr keeps every reference it takes, and gives each back once.

#include <gtest/gtest.h>

#include <vector>

#include "wm/com_object.h"

namespace {

// A buffer that counts its references and answers only for INSSBuffer and IUnknown.
class CountedBuffer final : public INSSBuffer {
  public:
    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (wm::Offer<INSSBuffer>(iid, IID_INSSBuffer, this, out) ||
            wm::Offer<INSSBuffer>(iid, IID_IUnknown, this, out))
            return S_OK;
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }  // the test owns the object
    HRESULT GetLength(DWORD*) override { return E_NOTIMPL; }
    HRESULT SetLength(DWORD) override { return E_NOTIMPL; }
    HRESULT GetMaxLength(DWORD*) override { return E_NOTIMPL; }
    HRESULT GetBuffer(BYTE**) override { return E_NOTIMPL; }
    HRESULT GetBufferAndLength(BYTE**, DWORD*) override { return E_NOTIMPL; }
    ULONG refs = 1;  // the test's own
};

TEST(ComPtrTest, CopiesShareMovesHandOverAndEachReferenceGoesBackOnce) {
    CountedBuffer buffer;
    {
        wm::ComPtr<INSSBuffer> shared(&buffer);
        EXPECT_EQ(buffer.refs, 2u);
        wm::ComPtr<INSSBuffer> copy(shared);
        EXPECT_EQ(buffer.refs, 3u);
        wm::ComPtr<INSSBuffer> moved(std::move(copy));
        EXPECT_FALSE(copy);
        EXPECT_EQ(moved.Get(), &buffer);
        EXPECT_EQ(buffer.refs, 3u);
        copy = moved;  // copy assignment
        EXPECT_EQ(buffer.refs, 4u);
        copy = copy;  // self assignment keeps the reference
        EXPECT_EQ(buffer.refs, 4u);
        moved = std::move(copy);  // move assignment gives back what moved held
        EXPECT_EQ(buffer.refs, 3u);
        moved = nullptr;
        EXPECT_EQ(buffer.refs, 2u);
        std::vector<wm::ComPtr<INSSBuffer>> many;
        for (int i = 0; i < 100; ++i) many.push_back(shared);  // owners move as it grows
        EXPECT_EQ(buffer.refs, 102u);
    }
    EXPECT_EQ(buffer.refs, 1u);
}

TEST(ComPtrTest, AttachTakesOverDetachHandsOutAsQueries) {
    CountedBuffer buffer;
    buffer.AddRef();
    {
        wm::ComPtr<INSSBuffer> held;
        held.Attach(&buffer);  // takes over the reference just taken
        EXPECT_EQ(buffer.refs, 2u);
        INSSBuffer* out = held.Detach();
        EXPECT_FALSE(held);
        EXPECT_EQ(buffer.refs, 2u);
        held.Attach(out);

        wm::ComPtr<IUnknown> unknown;
        EXPECT_EQ(held.As(unknown), S_OK);
        EXPECT_EQ(unknown.Get(), static_cast<IUnknown*>(&buffer));
        EXPECT_EQ(buffer.refs, 3u);
        wm::ComPtr<IWMReader> reader;
        EXPECT_EQ(held.As(reader), E_NOINTERFACE);
        EXPECT_FALSE(reader);
        EXPECT_EQ(buffer.refs, 3u);
        EXPECT_EQ(unknown.As(reader), E_NOINTERFACE);
        // As over a held one gives that back first; an empty one answers E_POINTER.
        EXPECT_EQ(held.As(held), S_OK);
        EXPECT_EQ(buffer.refs, 3u);
        wm::ComPtr<INSSBuffer> empty;
        EXPECT_EQ(empty.As(unknown), E_POINTER);
        EXPECT_FALSE(unknown);
        EXPECT_EQ(buffer.refs, 2u);
    }
    EXPECT_EQ(buffer.refs, 1u);
}

}  // namespace
