// SPDX-License-Identifier: MIT
#include "app/form_layout.h"

#include "app/twips.h"

namespace tremorline::app {

QSize Form1ClientSize() {
    return {Twips(5520), Twips(6315)};
}

Form1Places PlaceForm1Controls(QSize client) {
    const QSize extra = client.expandedTo(Form1ClientSize()) - Form1ClientSize();
    Form1Places places;
    places.Label1 = QRect(Twips(255), Twips(75), Twips(5175) + extra.width(), Twips(345));
    places.Text1 =
        QRect(Twips(60), Twips(525), Twips(5385) + extra.width(), Twips(4800) + extra.height());
    places.Frame1 =
        QRect(Twips(60), Twips(5400) + extra.height(), Twips(5415) + extra.width(), Twips(795));
    return places;
}

}  // namespace tremorline::app
