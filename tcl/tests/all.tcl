# all.tcl - runs the tcltest suite of the package qzappinfo; exits 1 when a test fails.
# Usage: tclsh8.6 all.tcl -pkgdir DIR -tmpdir DIR ?-qzpaths PROGRAM? ?tcltest options?
#   -pkgdir   the directory of pkgIndex.tcl (the build tree's or an installed one)
#   -tmpdir   a scratch directory for the test trees, emptied first
#   -qzpaths  a qzpaths program to compare the published table with
package require Tcl 8.6
package require tcltest 2.5
namespace eval ::qztest {}

set options [dict create -pkgdir "" -tmpdir "" -qzpaths ""]
set rest {}
foreach {option value} $argv {
    if {[dict exists $options $option]} {
        dict set options $option $value
    } else {
        lappend rest $option $value
    }
}
if {[dict get $options -pkgdir] ne ""} {
    set auto_path [linsert $auto_path 0 [file normalize [dict get $options -pkgdir]]]
}
set ::qztest::qzpaths [dict get $options -qzpaths]
set tmpdir [file normalize [dict get $options -tmpdir]]
file delete -force $tmpdir
file mkdir $tmpdir
tcltest::configure -tmpdir $tmpdir -testdir [file dirname [file normalize [info script]]] {*}$rest

proc tcltest::cleanupTestsHook {} {
    variable numTests
    set ::qztest::failed [expr {$numTests(Failed) > 0 || $numTests(Total) == 0}]
}
set ::qztest::failed 1
source [file join [tcltest::configure -testdir] qzappinfo.test]
exit $::qztest::failed
