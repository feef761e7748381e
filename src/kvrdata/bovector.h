#pragma once
// Block vectors: a block object holding a sequence of block objects of one element type,
// transferred in order as the sub-blocks of its own block.
//
// Ownership: an element whose parent is the vector is owned by it; an element with another
// parent may stand in the sequence but the vector never deletes it.

#include <climits>
#include <deque>
#include <string>

#include "kvrdata/blockobject.h"

namespace Kvrdata_ns {

class TBBaseVector : public TBlockObject {
public:
    TBBaseVector(TBlockObject* Parent, int ID, const char* ElementName);
    TBBaseVector(const TBBaseVector&) = delete;
    TBBaseVector& operator=(const TBBaseVector&) = delete;

    virtual int Size() const = 0;
    virtual void RemoveAll() = 0;
    virtual void ElementIDChanged(TBlockObject* /*Element*/) {}

    const char* GetElementName() const { return ElementName; }

protected:
    const char* ElementName; // not copied: must outlive the vector
};

class TBOBaseVector : public TBBaseVector {
public:
    using TBBaseVector::TBBaseVector;
    ~TBOBaseVector() override;

    void Clear() override { RemoveAll(); }
    TBlockObject* FindChild(short ID) override;
    void DeleteChild(int ID) override;
    int Size() const override { return static_cast<int>(Elements.size()); }
    void RemoveAll() override;
    virtual TBlockObject* CreateElement() = 0;

    // Throws std::out_of_range outside 0 .. Size()-1.
    TBlockObject*& At(int Index);
    // Appends when Pos is at or beyond the end; the caller then calls the element's AfterInsert.
    void Insert(TBlockObject* Element, int Pos = INT_MAX);
    // INT_MAX means the last element. An owned element is cleared and deleted, another unlinked.
    void Delete(int Index = INT_MAX);
    void DeleteOwnedElements();

protected:
    // Removes the pointer at Index; deletes the element (after Clear when asked) only when owned.
    void DropAt(std::size_t Index, bool ClearFirst);

    std::deque<TBlockObject*> Elements;
};

// Describe logic shared by every vector: the elements one after the other, each as a
// mandatory sub-block with its own ID.
void DescribeVector(TBOBaseVector* Vector, std::deque<TBlockObject*>& Elements, TBlockFilter* Filter);

// Sorted 0: neither a read nor an ID change reorders the elements.
template <int Sorted>
class TBOSortedBaseVector : public TBOBaseVector {
    static_assert(Sorted == 0, "only unsorted vectors are used");

public:
    using TBOBaseVector::TBOBaseVector;

    void Describe(TBlockFilter* Filter) override { DescribeVector(this, Elements, Filter); }
    virtual void Sort();
};

void SortVectorElements(std::deque<TBlockObject*>& Elements);

template <int Sorted>
void TBOSortedBaseVector<Sorted>::Sort()
{
    SortVectorElements(Elements);
}

template <typename T, int A = 0, int B = 0>
class TBOVector : public TBOSortedBaseVector<0> {
public:
    explicit TBOVector(TBlockObject* Parent = nullptr, int ID = 0, const char* ElementName = "Elem")
        : TBOSortedBaseVector<0>(Parent, ID, ElementName)
    {
    }
    ~TBOVector() override = default;

    TBlockObject* CreateElement() override { return new T(this); }
    std::string GetClassName() const override
    {
        // Asked once of a temporary element; the name depends on the type only.
        static const std::string name = "TBOVector<" + T(nullptr).GetClassName() + ">";
        return name;
    }

    // Null for an element of another type.
    T* Element(int Index) { return dynamic_cast<T*>(At(Index)); }
};

} // namespace Kvrdata_ns
