target_sources(vexlocore PRIVATE
)
