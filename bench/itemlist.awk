# The reference the benchmark holds Tarvenne against: the same conversion of a Y'z Dock item list, written plainly.
# Usage: LC_ALL=C awk -f itemlist.awk itemlist.ini > itemlist.conf   (valid input only: nothing is checked)
BEGIN { RS = "\r\n|\n|\r"; FS = "\t"; ORS = "\r\n" }
$0 == "" { print ""; next }
NF == 1 { print "[RKDockItem]"; print "type = separator"; print "show = normal"; print ""; next }
{
    shortcut = $2 == "type.app" || $2 == "type.nonapp"
    docklet = $2 == "type.docklet"
    print "[RKDockItem]"
    if (shortcut) print "type = shortcut"
    if (docklet) print "type = docklet_yz"
    print "name = " $1
    if ($7 == "00000000") print "icon = " $8
    if (shortcut) {
        print "link = " $3
        if ($5 != "") print "workFolder = " $5
    }
    if ($4 != "-") print "arguments = " $4
    print "show = " substr($6, 6)
    if (docklet) { print "path = " $3; print "loaded = 1" }
    print ""
}
