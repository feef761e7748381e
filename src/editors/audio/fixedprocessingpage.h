#pragma once
// The Fixed Processing page: the processings of the current device, the label, source and
// stereo flag of the selected one, its chain of DSP functions and the two offer lists, over the
// FixedProcessingPage rules. A double click on a chain function opens its options dialog.

#include <QWidget>

#include <memory>

#include "editors/audio/fixedprocessing.h"
#include "editors/common/sourcepicker.h"

class QCheckBox;
class QDropEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMimeData;
class QPushButton;
class QTreeWidget;
class QPoint;

namespace kvr::editors {

class EditorHost;
class TDevParaForm;

class TFixedProcessingPage : public QWidget, public SourceTarget {
public:
    TFixedProcessingPage(EditorHost& Host, QWidget* Parent);
    ~TFixedProcessingPage() override;

    void FillFixedProcessing();
    void ListBox2Click();
    // The options dialog the page opens; the page's own TDevParaForm without one.
    void SetParamEditor(DspParamEditor* Editor) { FEditor = Editor; }
    TDevParaForm* ParamForm();
    // The application's one options dialog; without one the page makes its own.
    void SetParamForm(TDevParaForm* Form) { FForm = Form; }

    QListWidget* ListBox2 = nullptr;    // the processings
    QPushButton* Button40 = nullptr;    // "Add"
    QPushButton* Button41 = nullptr;    // "Remove"
    QGroupBox* GroupBox32 = nullptr;    // "Edit Fixed Processing"
    QLineEdit* Edit20 = nullptr;        // "Label"
    QLabel* Panel16 = nullptr;          // the source's name; takes audio sources dropped on it
    QPushButton* Button37 = nullptr;    // "Select ..."
    QCheckBox* CheckBox20 = nullptr;    // "Stereo"
    QTreeWidget* ListView16 = nullptr;  // "Selected DSP-Functions"
    QTreeWidget* ListView17 = nullptr;  // "Standard DSP-Functions"
    QTreeWidget* ListView10 = nullptr;  // "Enhanced DSP-Functions"
    QPushButton* Button38 = nullptr;    // "<<" standard
    QPushButton* Button39 = nullptr;    // ">>"
    QPushButton* Button58 = nullptr;    // "<<" enhanced

    void AddClick();
    void RemoveClick();
    void AddFunction(QTreeWidget* Offers);
    void RemoveFunctionClick();
    void EditFunction();

    // Drops: the chain takes its own functions (a move) and, unless the limits are exceeded,
    // those of the offer lists; the offer lists take chain functions only (removing them).
    QTreeWidget* DragSource(QTreeWidget* Target, const QMimeData* Data) const;
    bool LandsAt(QTreeWidget* Target, const QDropEvent& Drag) const;

    // The audio-source window's kind 4.
    TargetSelection Selection(int Kind) override;
    void Refresh(int Kind, const PickedSource& Source) override;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    std::unique_ptr<FixedProcessingPage> Rules() const;
    int SelectedProcessing() const;
    void RebuildSources();
    bool CanAddNow() const;
    void Dropped(QTreeWidget* Target, QTreeWidget* Source, const QPoint& At);

    EditorHost& FHost;
    bool FFillingFixedProcessing = false;
    DspParamEditor* FEditor = nullptr;
    std::unique_ptr<DspParamEditor> FOwnEditor;
    TDevParaForm* FForm = nullptr;
};

} // namespace kvr::editors
