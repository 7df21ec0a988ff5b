import QtQuick
import Vexlo

// Where announcements are read out: each one becomes a new notification node that appears,
// so a reader that keeps earlier nodes in its cache still hears the new text. Nothing shows.
Item {
    id: region
    width: 1
    height: 1
    property Item current: null
    // The last text announced, for the window's tests.
    readonly property string text: current ? current.text : ""

    Component {
        id: note
        Text {
            visible: false
            color: "transparent"
            Accessible.role: Accessible.Notification
            Accessible.name: AccessibleTexts.spoken(text)
        }
    }

    Connections {
        target: Announcer
        function onAnnounced(text) {
            if (region.current)
                region.current.destroy()
            region.current = note.createObject(region, { text: text })
            region.current.visible = true
        }
    }
}
