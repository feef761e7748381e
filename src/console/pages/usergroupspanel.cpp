#include "console/pages/usergroupspanel.h"

#include "console/pages/keypreviewimage.h"
#include "platform/text1252.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace kvr::console {

UserGroupsPanel::UserGroupsPanel(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    KeyImg = new KeyPreviewImage(this);
    layout->addWidget(KeyImg);
    for (std::size_t n = 0; n < 8; ++n) {
        auto* box = new QCheckBox(this);
        box->setObjectName(QString("UGroup%1Box").arg(n + 1));
        const int group = static_cast<int>(n) + 1;
        connect(box, &QCheckBox::clicked, this, [this, group](bool ticked) {
            if (Clicked)
                Clicked(group, ticked);
        });
        layout->addWidget(box);
        UGroupBoxes[n] = box;
    }
    layout->addStretch(1);
}

void UserGroupsPanel::Show(const UserGroupBoxes& boxes, int moduleType, const model::TKeyRecord& record)
{
    KeyImg->ShowKey(moduleType, record);
    for (std::size_t n = 0; n < 8; ++n) {
        UGroupBoxes[n]->setText(platform::fromCp1252(boxes.Captions[n]));
        UGroupBoxes[n]->setVisible(boxes.Visible[n]);
        UGroupBoxes[n]->setChecked(boxes.Ticked[n]);
    }
}

} // namespace kvr::console
