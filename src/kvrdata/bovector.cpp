#include "kvrdata/bovector.h"

#include <algorithm>
#include <stdexcept>

#include "kvrdata/blockfilter.h"
#include "kvrdata/initfilter.h"
#include "kvrdata/structinfofilter.h"

namespace Kvrdata_ns {

TBBaseVector::TBBaseVector(TBlockObject* Parent, int ID, const char* AElementName)
    : TBlockObject(Parent, static_cast<unsigned short>(ID), false, false), ElementName(AElementName)
{
}

TBOBaseVector::~TBOBaseVector()
{
    DeleteOwnedElements();
    Elements.clear();
}

TBlockObject* TBOBaseVector::FindChild(short ID)
{
    for (TBlockObject* element : Elements)
        if (static_cast<short>(element->GetID()) == ID)
            return element;
    return nullptr;
}

void TBOBaseVector::DeleteChild(int ID)
{
    for (std::size_t i = 0; i < Elements.size(); ++i) {
        if (Elements[i]->GetID() == static_cast<unsigned short>(ID)) {
            DropAt(i, true);
            return;
        }
    }
}

void TBOBaseVector::RemoveAll()
{
    for (std::size_t i = Elements.size(); i-- > 0;)
        DropAt(i, true);
}

TBlockObject*& TBOBaseVector::At(int Index)
{
    if (Index < 0 || static_cast<std::size_t>(Index) >= Elements.size())
        throw std::out_of_range("TBOBaseVector::At: index " + std::to_string(Index) + " outside " +
                                std::to_string(Elements.size()) + " elements");
    return Elements[static_cast<std::size_t>(Index)];
}

void TBOBaseVector::Insert(TBlockObject* Element, int Pos)
{
    if (Pos < 0)
        throw std::out_of_range("TBOBaseVector::Insert: negative position");
    if (static_cast<std::size_t>(Pos) >= Elements.size())
        Elements.push_back(Element);
    else
        Elements.insert(Elements.begin() + Pos, Element);
}

void TBOBaseVector::Delete(int Index)
{
    if (Index == INT_MAX)
        Index = Size() - 1;
    At(Index); // range check
    DropAt(static_cast<std::size_t>(Index), true);
}

void TBOBaseVector::DeleteOwnedElements()
{
    for (std::size_t i = Elements.size(); i-- > 0;) {
        TBlockObject* element = Elements[i];
        if (element->GetParent() == this) {
            Elements.erase(Elements.begin() + static_cast<std::ptrdiff_t>(i));
            delete element;
        }
    }
}

void TBOBaseVector::DropAt(std::size_t Index, bool ClearFirst)
{
    TBlockObject* element = Elements[Index];
    const bool owned = element->GetParent() == this;
    if (owned && ClearFirst)
        element->Clear();
    // Clear may have changed the sequence; remove this element wherever it now stands.
    const auto it = std::find(Elements.begin(), Elements.end(), element);
    if (it != Elements.end())
        Elements.erase(it);
    if (owned)
        delete element;
}

void DescribeVector(TBOBaseVector* Vector, std::deque<TBlockObject*>& Elements, TBlockFilter* Filter)
{
    Filter->BeginList();
    const char* name = Vector->GetElementName();
    if (Filter->IsWriting()) {
        if (dynamic_cast<TStructInfoFilter*>(Filter)) {
            // The description shows one element; an empty vector gets a sample.
            if (Elements.empty()) {
                TBlockObject* sample = Vector->CreateElement();
                Vector->Insert(sample);
                sample->AfterInsert();
            }
            Filter->TransferObject(name, Elements.front());
        } else {
            for (std::size_t i = 0; i < Elements.size(); ++i)
                Filter->TransferObject(name, Elements[i]);
        }
        return;
    }
    // Initialising a vector as a root has no elements to visit; clearing it empties it.
    if (auto* init = dynamic_cast<TInitFilter*>(Filter)) {
        if (init->GetInitMode() == TInitFilter::imClear)
            Vector->RemoveAll();
        return;
    }
    Vector->DeleteOwnedElements();
    for (;;) {
        TBlockObject* element = Vector->CreateElement();
        Elements.push_back(element);
        TBlockObject* transferred = element;
        const short st = Filter->TransferObject(name, transferred, 0);
        if (st > bsEndOfBlock) {
            // The end of the list, or an element that failed to read: not kept.
            const auto it = std::find(Elements.begin(), Elements.end(), element);
            if (it != Elements.end())
                Elements.erase(it);
            element->Clear();
            delete element;
        }
        if (st >= bsEndOfBlock)
            break;
    }
}

void SortVectorElements(std::deque<TBlockObject*>& Elements)
{
    std::sort(Elements.begin(), Elements.end(),
              [](const TBlockObject* a, const TBlockObject* b) { return a->GetID() < b->GetID(); });
}

} // namespace Kvrdata_ns
