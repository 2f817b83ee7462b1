"""Real-input scenarios of the Color Control page."""


from kalvex_x import Kalvex, check

STATION = 63  # the station mask the page selects as it opens online


def open_color_control(k):
    return k.wait_for(lambda s: s.find("txtColorCtrl8", "350") and s.find("lblStatus2", "AUTO")
                      and s, "the Color Control page filled")


def label_load_runs_to_its_end_whatever_the_keys(display, kalvex):
    """Label 7 entered online on a slow board, then Enter and Esc in a colour field and in the
    label field while the load runs: the load still completes, so the working registers hold
    label 7's values, none left from the label before."""
    old = "".join("B%d = 50\nW%d = 400\nB%d = 50\nW%d = 400\n" % (720 + d, 730 + 2 * d,
                                                                3100 + d, 3110 + 2 * d)
                  for d in range(8))
    new = "".join("B%d = %d\nW%d = %d\n" % (3310 + d, 10 + 5 * d, 3320 + 2 * d, 300 + 10 * d)
                  for d in range(8))
    state = "W686 = 0\nF119 = 1\n" + old + new
    with Kalvex(display, kalvex, "--online", "--page", "3", state=state) as k:
        s = k.wait_for(lambda s: s.find("txtColorCtrl8", "400") and s,
                       "the Color Control page filled")
        k.set_board("delay_ms = 8\n")
        k.click_widget(s.one("txtColorCtrl16"))
        k.type("7")
        k.key("Return")
        k.click_widget(s.one("txtColorCtrl0"))
        k.key("Return", "Escape", "Escape")
        k.click_widget(s.one("txtColorCtrl16"))
        k.key("Escape", "Return")
        k.wait_for(lambda s: s.find("txtColorCtrl15", "370"), "the load's last value shown",
                   timeout=20)
        s = k.snapshot()
        on = [s.memory[720 + d] for d in range(8)]
        cycle = [s.word(730 + 2 * d) for d in range(8)]
        check(on == [10 + 5 * d for d in range(8)], "ON registers: %s" % on)
        check(cycle == [300 + 10 * d for d in range(8)], "CYCLE registers: %s" % cycle)
        check(not k.dismiss_boxes(), "a box was shown")


COLOR_SCENARIOS = [label_load_runs_to_its_end_whatever_the_keys]
