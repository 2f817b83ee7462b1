"""Real-input scenarios of failed reads: nothing the board did not send is acted on."""

from kalvex_x import Kalvex, check

TARGET = 2088  # B2088: the Q.C. blow-off target, spindles first, then blanket and mandrel


def targets(snapshot):
    return [value for address, value in snapshot.writes if address == TARGET]


def blanket_blowoff_never_aims_at_a_spindle_count_not_read(display, kalvex):
    """A spindle count the board did not send is never used. With B52 unusable (0), Blanket
    and Mandrel Blow-off send nothing while Single Blow-off still works; with a wrong echo on
    the B52 read as the program goes online (the 4th byte it sends), Blanket waits for the
    count read again and aims past the 36th spindle, never at spindle 1."""
    with Kalvex(display, kalvex, "--online", state="spindles = 0\nB2088 = 5\n") as k:
        s = k.wait_for(lambda s: s.find("MODE", "ONLINE") and s.shown("cmdBlanketBlowoff")
                       and s.one("txtSpindleBlowoff").text == "5" and s, "the Main Display")
        for name in ("cmdBlanketBlowoff", "cmdMandrelBlowoff", "cmdSingleBlowoff"):
            k.click_widget(s.one(name))
        after = k.wait_for(lambda s: targets(s) and s, "the single blow-off")
        check(targets(after) == [5], "targets written: %s" % targets(after))

    with Kalvex(display, kalvex, "--online", state="spindles = 36\nwrong_echo_at = 4\n") as k:
        s = k.wait_for(lambda s: s.find("MODE", "ONLINE") and s.shown("cmdBlanketBlowoff") and s,
                       "the Main Display")

        def clicked_until_sent(snapshot):
            if targets(snapshot):
                return snapshot
            k.click_widget(s.one("cmdBlanketBlowoff"))
            return None

        after = k.wait_for(clicked_until_sent, "a blanket blow-off", timeout=20)
        check(set(targets(after)) == {37}, "targets written: %s" % targets(after))


LINK_SCENARIOS = [blanket_blowoff_never_aims_at_a_spindle_count_not_read]
